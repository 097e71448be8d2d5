#pragma once

// Registers the application services' classes and task types with the
// runtime, after the framework's. Call once from main() and from test mains
// before reading a configuration; later calls do nothing.
void registerServicesClasses();
