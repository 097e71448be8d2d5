#pragma once

// Starting another program and leaving it to run on its own.

#include <string>
#include <vector>

namespace pf {

enum class ProgramLookup { AbsolutePath, SearchPath };

// Starts `arguments[0]` with the rest as its arguments (an argument vector,
// never a shell), found on PATH with SearchPath, and collects its exit on a
// detached thread so no zombie is left. False, with a log line, when it
// could not be started or `arguments` is empty. Any thread.
bool startDetachedProgram(const std::vector<std::string>& arguments, ProgramLookup lookup);

}
