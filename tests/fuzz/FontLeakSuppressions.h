#pragma once

// The font libraries keep caches for the life of the process; not our leaks.
// Include from exactly one source of a fuzz target.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libpangoft2\nleak:libpangocairo\nleak:libharfbuzz\n"
           "leak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}
