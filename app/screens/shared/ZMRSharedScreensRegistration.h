#pragma once

// The screen base, its publish fly-out, the money keypad, the small views
// and widgets interface files and markup name, and the paged list source
// the family sources derive from.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, before the other families, whose classes derive
// from these.
void registerSharedScreenClasses();
