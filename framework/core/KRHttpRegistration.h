#pragma once

// Registers the HTTP and API classes and task types with the runtime, after
// the rest of the core. Call once from main() and test mains; later calls do
// nothing.
void registerHttpClasses();
