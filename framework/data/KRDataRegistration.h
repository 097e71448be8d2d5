#pragma once

// Registers the data sources, data controllers and list views (and
// everything below them) with the runtime; later calls do nothing.
void registerDataClasses();
