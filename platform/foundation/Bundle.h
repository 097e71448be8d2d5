#pragma once

// The application bundle: a folder of resources (configuration, style sheet,
// templates, images) and the information dictionary "Info.plist" in it.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>

namespace pf {

class Bundle {
public:
    explicit Bundle(std::string resourcePath);
    // The bundle of the running program: set once at start-up (the resources
    // folder); before that, "$ZMR_SOURCE_DIR/resources" or "./resources".
    static std::shared_ptr<Bundle> main();
    static void setMain(std::shared_ptr<Bundle> bundle);

    const std::string& resourcePath() const { return m_resourcePath; }
    // The path of "name.type" in the bundle, or nothing when no such file exists.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
    // Info.plist as a dictionary; empty when missing or unreadable.
    DictionaryRef infoDictionary() const;

private:
    std::string m_resourcePath;
    mutable DictionaryRef m_info;
};

}
