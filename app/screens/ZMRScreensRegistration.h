#pragma once

// Registers the application screens' classes (and everything below them)
// with the runtime; later calls do nothing.
void registerScreensClasses();
