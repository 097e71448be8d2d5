#pragma once

// The inverted flags data outlets bind: "visable" on every view (not
// hidden) and "disabled" on every control (not enabled). Registered as keys
// of View and Control by registerUIClasses().
//
// Main queue only.

namespace pf {
class View;
class Control;
}

bool isVisable(const pf::View& view);
void setVisable(pf::View& view, bool visable);
bool isDisabled(const pf::Control& control);
void setDisabled(pf::Control& control, bool disabled);
