#pragma once

// Registers the ZZ Connect SDK's classes (and everything below them) with the
// runtime; later calls do nothing. Main queue.
void registerZZClasses();
