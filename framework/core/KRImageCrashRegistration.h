#pragma once

// Registers the image service, the crash service, their task classes and the
// image task types with the runtime, after the HTTP classes they build on.
// Call once from main() and test mains; later calls do nothing.
void registerImageAndCrashClasses();
