#pragma once

// What the stand-in peer apps (voxlyapp, natterapp) share: one command line,
// one way of saying what went wrong, and one way of opening the caller's URL
// as the app it stands in for. Each app keeps only its scripts and answers.

#include <map>
#include <set>
#include <string>

namespace peerapp {

// What one run was asked: install itself, or answer a URL, by a script; the
// app's own options by name ("--inbox" -> its value, a flag -> "1" when given).
struct Command {
    bool install = false;
    std::string script;
    std::string url;
    std::map<std::string, std::string> options;

    const std::string& option(const std::string& name) const;
    bool flag(const std::string& name) const { return options.count(name) && options.at(name) == "1"; }
};

using Handler = int (*)(const Command&);

struct App {
    const char* name = "";   // starts every line of output
    const char* bundle = ""; // registry entry, and the sender of every URL it opens
    std::string script;      // the default script
    std::set<std::string> scripts;
    std::map<std::string, std::string> options; // options taking a value, with their defaults
    std::set<std::string> flags;                // options taking none
};

// Prints "<name>: <why>" and returns 1, for main to return.
int fail(const App& app, const std::string& why);

// Opens text in the app registered for its scheme as sent by app, starting
// that app when it is not running. False when no app takes it or it cannot start.
bool wake(const App& app, const std::string& text);

// Reads --install, --script, --open-url, --source-application (ignored) and
// the app's own options, refuses unknown arguments and scripts, then runs
// install or answer; returns main's exit status.
int run(const App& app, int argc, char** argv, Handler install, Handler answer);

}
