#pragma once

// Registers the UI kit's classes (and everything below them) with the
// runtime; later calls do nothing.
void registerUIClasses();
