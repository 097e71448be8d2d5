#pragma once

// The application's home directory and the files in it. On the phone the
// home directory held "Documents", "Library/Caches" and "tmp"; here it is
// $ZMR_HOME, else "$HOME/.zomaru", and tests point it at a temporary folder.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>

namespace pf {

std::string homeDirectory();
// Any thread; affects paths asked for afterwards.
void setHomeDirectory(std::string path);
std::string documentsDirectory(); // home + "/Documents"
std::string cachesDirectory();    // home + "/Library/Caches"
std::string temporaryDirectory(); // home + "/tmp"

// Creates the directory and its parents; true when it exists afterwards.
bool createDirectories(const std::string& path);
bool fileExists(const std::string& path);
std::optional<Bytes> readFile(const std::string& path);
// Writes to a temporary file beside `path`, flushes it to disk and renames it
// over `path`, so readers see the old content or the new, never a part.
std::optional<Error> writeFileAtomically(const std::string& path, std::string_view bytes);

}
