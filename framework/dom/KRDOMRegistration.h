#pragma once

// Registers the markup engine with what lies below it: the framework core's
// and the platform controls' classes, the markup label for interface files,
// and the provider through which the shell makes and loads its
// markup style sheet. Call once from main() and from test mains; later
// calls do nothing more.
void registerDOMClasses();
