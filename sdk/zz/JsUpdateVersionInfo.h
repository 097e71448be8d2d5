#pragma once

// The installed script package as the script bridge loads it: whether one is
// installed, its folder and the full paths of its scripts, "init.js" first.
// Immutable; any thread.

#include <string>
#include <vector>

class JsUpdateVersionInfo {
public:
    JsUpdateVersionInfo(bool isUpdated, std::vector<std::string> files, std::string folder)
        : m_isUpdated(isUpdated), m_files(std::move(files)), m_folder(std::move(folder)) {}

    bool isUpdated() const { return m_isUpdated; }
    const std::vector<std::string>& files() const { return m_files; }
    const std::string& folder() const { return m_folder; }

private:
    bool m_isUpdated = false;
    std::vector<std::string> m_files;
    std::string m_folder;
};
