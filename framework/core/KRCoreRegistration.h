#pragma once

// Registers the framework core's classes and protocols with the runtime (and
// everything below it). Call once from main() and from test mains before
// reading a configuration; later calls do nothing.
void registerCoreClasses();
