#pragma once

// The record with which an application registers itself for answers from
// ZZ: its URL scheme, display name, bundle identifier, version and up to two
// icons (file name to bytes). One thread at a time.

#include "sdk/zz/ZZArchive.h"

#include <optional>
#include <string>

class ZZPluginMetadata final : public ZZArchivedRecord {
public:
    int ApiVersion() const { return m_apiVersion; }
    void setApiVersion(int version) { m_apiVersion = version; }
    const std::optional<std::string>& scheme() const { return m_scheme; }
    void setScheme(std::optional<std::string> scheme) { m_scheme = std::move(scheme); }
    const std::optional<std::string>& displayName() const { return m_displayName; }
    void setDisplayName(std::optional<std::string> name) { m_displayName = std::move(name); }
    const std::optional<std::string>& bundleIdentifier() const { return m_bundleIdentifier; }
    void setBundleIdentifier(std::optional<std::string> identifier) { m_bundleIdentifier = std::move(identifier); }
    const std::optional<std::string>& version() const { return m_version; }
    void setVersion(std::optional<std::string> version) { m_version = std::move(version); }
    // Icon file name to its data.
    const pf::DictionaryRef& iconFiles() const { return m_iconFiles; }
    void setIconFiles(pf::DictionaryRef icons) { m_iconFiles = std::move(icons); }

    // "ApiVersion: 1\nscheme: …\n…iconFiles:\n{\n" then "iconname: …\niconsize: N\n" per icon, then "}".
    std::string description() const override;

    // "ApiVersion", "scheme", "displayName", "bundleIdentifier", "version", "iconFiles".
    pf::DictionaryRef archiveDictionary() const override;
    // The other keys are read only when "ApiVersion" is at least 1; icons
    // that are not data are left out.
    static std::shared_ptr<ZZPluginMetadata> decode(const pf::Dictionary& fields);

private:
    int m_apiVersion = 1;
    std::optional<std::string> m_scheme;
    std::optional<std::string> m_displayName;
    std::optional<std::string> m_bundleIdentifier;
    std::optional<std::string> m_version;
    pf::DictionaryRef m_iconFiles;
};
