#pragma once

// The application's home directory and the files in it. On the phone the
// home directory held "Documents", "Library/Caches" and "tmp"; here it is
// $ZMR_HOME, else "$HOME/.zomaru", and tests point it at a temporary folder.
// Folders made here are private to the user (mode 0700).

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pf {

// $ZMR_HOME (made absolute against the current folder), else
// "$HOME/.zomaru", else ".zomaru" in the account's home from the password
// database; nullopt when there is none of these.
std::optional<std::string> defaultHomeDirectory();
// The home set last, else the default one. Without any the program refuses
// to go on: it says so and exits, rather than keep data in a shared folder.
std::string homeDirectory();
// Creates the home directory (as homeDirectory() finds it) and checks that a
// file can be made in it; the error says which folder failed and why.
std::optional<Error> prepareHomeDirectory();
// Whether the last prepareHomeDirectory() found the home unwritable: the
// program has said so then, and stores failing inside it for that reason
// need not say it again. Any thread.
bool homeDirectoryIsUnwritable();
// Any thread; affects paths asked for afterwards.
void setHomeDirectory(std::string path);
std::string documentsDirectory(); // home + "/Documents"
std::string cachesDirectory();    // home + "/Library/Caches"
std::string temporaryDirectory(); // home + "/tmp"

// Creates the directory and its parents, each new one private to this user
// (mode 0700); true when it exists afterwards.
bool createDirectories(const std::string& path);
bool fileExists(const std::string& path);
std::optional<Bytes> readFile(const std::string& path);
// Writes to a temporary file beside `path`, flushes it to disk and renames it
// over `path`, so readers see the old content or the new, never a part.
std::optional<Error> writeFileAtomically(const std::string& path, std::string_view bytes);
// The same with the content given in pieces, written one after the other
// without first being joined (a picture of megabytes is not copied).
std::optional<Error> writeFileAtomically(const std::string& path, std::span<const std::string_view> parts);

}
