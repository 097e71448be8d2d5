#pragma once

namespace pf {

// Registers the platform controls (and everything below them) with the
// runtime, so interface files can name them; a second call does nothing.
void registerControlsClasses();

}
