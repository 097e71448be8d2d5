#pragma once

// Registers the classes of framework/db (the record base, the monitor and
// behaviour records, tasks and services) and everything below them. Call
// once from main() and from test mains; later calls do nothing.
void registerDBClasses();
