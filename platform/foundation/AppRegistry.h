#pragma once

// The installed-app registry of one device: which applications are there,
// the URL schemes each answers, and the command that starts each. Every
// application writes its own entry when it launches; opening a URL of
// another scheme looks the scheme up here.
//
// The registry lies in "apps" under the device folder
// (Pasteboard::deviceDirectory()), which may be a shared place such as
// "/tmp/device". Both folders are made private (0700), existing ones of
// ours that others could read included; when either is not ours, is not a
// real folder or is writable by group or others, the registry is refused
// as a whole (said once in the log, even below the diagnostic level). An
// entry is one small JSON file,
// "<bundle id>.json"; entries are read as untrusted: one that is not ours,
// is writable by group or others, is not a plain file, is larger than
// kMaxEntrySize, does not parse, names another bundle than its file, or
// whose program is missing or writable by group or others is skipped.
//
// Any thread; every call goes to the files.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

struct InstalledApp {
    std::string bundleIdentifier;
    std::vector<std::string> urlSchemes;
    // An argument list, never shell text; the first is the program's
    // absolute path.
    std::vector<std::string> command;

    // The bundle identifier ("CFBundleIdentifier") and URL schemes (every
    // "CFBundleURLSchemes" of "CFBundleURLTypes") of an information
    // dictionary, with `command`. Schemes that are not valid are left out.
    static InstalledApp fromInfoDictionary(const Dictionary& info, std::vector<std::string> command);
    // Ignoring case, as schemes are compared.
    bool answersScheme(std::string_view scheme) const;
};

class AppRegistry {
public:
    static constexpr std::size_t kMaxEntrySize = 64 * 1024;

    // The registry folder, made private on first use; an error when the
    // registry must be refused.
    static ErrorOr<std::string> directory();
    // Writes (replaces) the entry of `app`; an error for a bundle id or
    // scheme that is not valid, a command that does not start with an
    // absolute path, or a refused registry.
    static std::optional<Error> registerApp(const InstalledApp& app);
    // The entries that pass every check, in no particular order.
    static std::vector<InstalledApp> installedApps();
    // The app that answers `scheme` (ignoring case); when several do, the
    // one whose bundle id sorts first.
    static std::optional<InstalledApp> appForScheme(std::string_view scheme);

    // Letters, digits, ".", "-" and "_", at most 200 bytes, not starting with ".".
    static bool isValidBundleIdentifier(std::string_view identifier);
    // A letter, then letters, digits, "+", "-" or "." (RFC 3986), at most 64 bytes.
    static bool isValidScheme(std::string_view scheme);
};

// Makes `path` (and missing parents) a folder of mode 0700 and checks that
// it is ours, a real folder and not writable by group or others; one that
// passes but others can read or enter is narrowed to 0700.
std::optional<Error> makePrivateDirectory(const std::string& path);

}
