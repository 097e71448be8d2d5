#include "platform/foundation/AppRegistry.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {

using Json = nlohmann::json;

constexpr const char* kDomain = "pf::AppRegistry";
constexpr std::string_view kEntrySuffix = ".json";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A program anyone but its owner may rewrite could be made to run anything
// in the name of the app that opens a URL.
bool isRunnableProgram(const std::string& path)
{
    struct stat st;
    return !path.empty() && path[0] == '/' && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)
        && (st.st_mode & 022) == 0 && access(path.c_str(), X_OK) == 0;
}

// The entry at `path`, or nothing (logged) when any check fails.
std::optional<InstalledApp> readEntry(const std::string& path, std::string_view expectedIdentifier)
{
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    std::string text;
    bool trusted = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0
        && static_cast<std::size_t>(st.st_size) <= AppRegistry::kMaxEntrySize;
    if (trusted) {
        text.resize(AppRegistry::kMaxEntrySize + 1);
        std::size_t filled = 0;
        for (;;) {
            ssize_t n = read(fd, text.data() + filled, text.size() - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            filled += static_cast<std::size_t>(n);
            if (filled == text.size())
                break;
        }
        text.resize(filled);
        trusted = filled <= AppRegistry::kMaxEntrySize;
    }
    close(fd);
    if (!trusted) {
        log("app registry: skipped %s: not ours, open to others' writes or not a small plain file", path.c_str());
        return std::nullopt;
    }
    Json json = Json::parse(text, nullptr, false);
    auto strings = [](const Json& list, std::vector<std::string>& out) {
        if (!list.is_array())
            return false;
        for (const Json& item : list) {
            if (!item.is_string())
                return false;
            out.push_back(item.get<std::string>());
        }
        return true;
    };
    InstalledApp app;
    bool valid = json.is_object() && json.contains("bundleIdentifier") && json["bundleIdentifier"].is_string()
        && json.contains("urlSchemes") && strings(json["urlSchemes"], app.urlSchemes) && json.contains("command")
        && strings(json["command"], app.command);
    if (valid)
        app.bundleIdentifier = json["bundleIdentifier"].get<std::string>();
    valid = valid && app.bundleIdentifier == expectedIdentifier && !app.command.empty()
        && std::all_of(app.urlSchemes.begin(), app.urlSchemes.end(), AppRegistry::isValidScheme)
        && std::none_of(app.command.begin(), app.command.end(),
                        [](const std::string& a) { return a.find('\0') != std::string::npos; });
    if (!valid) {
        log("app registry: skipped %s: not an entry", path.c_str());
        return std::nullopt;
    }
    if (!isRunnableProgram(app.command[0])) {
        log("app registry: skipped %s: its program %s is missing or writable by others", path.c_str(),
            app.command[0].c_str());
        return std::nullopt;
    }
    return app;
}

}

std::optional<Error> makePrivateDirectory(const std::string& path)
{
    createDirectories(path);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return Error{kDomain, 1, path + ": " + std::strerror(errno)};
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 022) != 0)
        return Error{kDomain, 2, path + " is not a private folder of ours"};
    // Ours and closed to others' writes, but perhaps open to their reads
    // (made before, or by hand): bundle ids and commands stay ours alone.
    if ((st.st_mode & 0777) != 0700 && chmod(path.c_str(), 0700) != 0)
        return Error{kDomain, 1, path + ": " + std::strerror(errno)};
    return std::nullopt;
}

InstalledApp InstalledApp::fromInfoDictionary(const Dictionary& info, std::vector<std::string> command)
{
    InstalledApp app;
    app.bundleIdentifier = info.string("CFBundleIdentifier").value_or("");
    app.command = std::move(command);
    if (auto types = info.array("CFBundleURLTypes")) {
        for (const Value& type : *types) {
            auto entry = type.dictionary();
            auto schemes = entry ? entry->array("CFBundleURLSchemes") : nullptr;
            if (!schemes)
                continue;
            for (const Value& scheme : *schemes)
                if (const std::string* text = scheme.string(); text && AppRegistry::isValidScheme(*text))
                    app.urlSchemes.push_back(*text);
        }
    }
    return app;
}

bool InstalledApp::answersScheme(std::string_view scheme) const
{
    return std::any_of(urlSchemes.begin(), urlSchemes.end(),
                       [scheme](const std::string& own) { return equalsIgnoringCase(own, scheme); });
}

bool AppRegistry::isValidBundleIdentifier(std::string_view identifier)
{
    if (identifier.empty() || identifier.size() > 200 || identifier[0] == '.')
        return false;
    return std::all_of(identifier.begin(), identifier.end(),
                       [](char c) { return isLetter(c) || isDigit(c) || c == '.' || c == '-' || c == '_'; });
}

bool AppRegistry::isValidScheme(std::string_view scheme)
{
    if (scheme.empty() || scheme.size() > 64 || !isLetter(scheme[0]))
        return false;
    return std::all_of(scheme.begin(), scheme.end(),
                       [](char c) { return isLetter(c) || isDigit(c) || c == '+' || c == '-' || c == '.'; });
}

ErrorOr<std::string> AppRegistry::directory()
{
    std::string device = Pasteboard::deviceDirectory();
    auto error = makePrivateDirectory(device);
    std::string apps = device + "/apps";
    if (!error)
        error = makePrivateDirectory(apps);
    // Even without diagnostics: URLs to and from other apps stop working,
    // and the person should know why. Once while it lasts, as every lookup
    // comes here.
    static std::atomic<bool> said{false};
    if (!error) {
        said = false;
        return apps;
    }
    if (!said.exchange(true))
        logLevel(LogLevel::Error, "the app registry is refused, so no URLs go to or come from other apps: %s",
                 error->description.c_str());
    return *error;
}

std::optional<Error> AppRegistry::registerApp(const InstalledApp& app)
{
    if (!isValidBundleIdentifier(app.bundleIdentifier))
        return Error{kDomain, 3, "not a bundle identifier: \"" + app.bundleIdentifier + "\""};
    for (const auto& scheme : app.urlSchemes)
        if (!isValidScheme(scheme))
            return Error{kDomain, 3, "not a URL scheme: \"" + scheme + "\""};
    if (app.command.empty() || app.command[0].empty() || app.command[0][0] != '/')
        return Error{kDomain, 3, "the command must start with the program's absolute path"};
    auto dir = directory();
    if (!dir)
        return dir.error();
    Json json = {{"bundleIdentifier", app.bundleIdentifier}, {"urlSchemes", app.urlSchemes}, {"command", app.command}};
    // Arguments that are not UTF-8 are written with replacement characters
    // rather than refused at launch.
    std::string text = json.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
    return writeFileAtomically(*dir + "/" + app.bundleIdentifier + std::string(kEntrySuffix), text);
}

std::vector<InstalledApp> AppRegistry::installedApps()
{
    std::vector<InstalledApp> apps;
    auto dir = directory();
    if (!dir)
        return apps;
    DIR* listing = opendir(dir->c_str());
    if (!listing)
        return apps;
    std::vector<std::string> identifiers;
    while (dirent* entry = readdir(listing)) {
        std::string_view name = entry->d_name;
        if (name.size() <= kEntrySuffix.size() || name.substr(name.size() - kEntrySuffix.size()) != kEntrySuffix)
            continue;
        std::string_view identifier = name.substr(0, name.size() - kEntrySuffix.size());
        if (isValidBundleIdentifier(identifier))
            identifiers.emplace_back(identifier);
    }
    closedir(listing);
    std::sort(identifiers.begin(), identifiers.end());
    for (const auto& identifier : identifiers)
        if (auto app = readEntry(*dir + "/" + identifier + std::string(kEntrySuffix), identifier))
            apps.push_back(std::move(*app));
    return apps;
}

std::optional<InstalledApp> AppRegistry::appForScheme(std::string_view scheme)
{
    for (auto& app : installedApps())
        if (app.answersScheme(scheme))
            return std::move(app);
    return std::nullopt;
}

}
