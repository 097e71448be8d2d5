#pragma once

namespace pf {

// Registers the view system's classes ("View", "Window", "ViewController")
// and their keys for interface files and key-value access; calls the
// foundation's registration first. A second call does nothing.
void registerUiClasses();

}
