#include "sdk/zz/ZZPluginMetadata.h"

#include "platform/foundation/Collections.h"

#include <cstdio>
#include <limits>

namespace {

std::string text(const std::optional<std::string>& value) { return value ? *value : "(null)"; }

}

std::string ZZPluginMetadata::description() const
{
    std::string out = "ApiVersion: " + std::to_string(m_apiVersion) + "\n";
    out += "scheme: " + text(m_scheme) + "\n";
    out += "displayName: " + text(m_displayName) + "\n";
    out += "bundleIdentifier: " + text(m_bundleIdentifier) + "\n";
    out += "version: " + text(m_version) + "\n";
    out += "iconFiles:\n{\n";
    if (m_iconFiles)
        for (const auto& [name, data] : *m_iconFiles)
            out += "iconname: " + name + "\niconsize: " + std::to_string(data.length()) + "\n";
    out += "}";
    return out;
}

pf::DictionaryRef ZZPluginMetadata::archiveDictionary() const
{
    auto fields = pf::Dictionary::create({ { ZZArchive::kClassKey, "ZZPluginMetadata" },
                                           { "ApiVersion", pf::Value(m_apiVersion) } });
    const std::pair<const char*, const std::optional<std::string>*> texts[] = {
        { "scheme", &m_scheme }, { "displayName", &m_displayName }, { "bundleIdentifier", &m_bundleIdentifier },
        { "version", &m_version } };
    for (const auto& [key, value] : texts)
        if (*value)
            fields->set(key, **value);
    if (m_iconFiles)
        fields->set("iconFiles", m_iconFiles);
    return fields;
}

std::shared_ptr<ZZPluginMetadata> ZZPluginMetadata::decode(const pf::Dictionary& fields)
{
    auto metadata = std::make_shared<ZZPluginMetadata>();
    long long version = ZZArchive::integerField(fields, "ApiVersion");
    metadata->m_apiVersion = version >= std::numeric_limits<int>::min() && version <= std::numeric_limits<int>::max()
        ? static_cast<int>(version)
        : 0;
    if (version < 1)
        return metadata;
    metadata->m_scheme = fields.string("scheme");
    metadata->m_displayName = fields.string("displayName");
    metadata->m_bundleIdentifier = fields.string("bundleIdentifier");
    metadata->m_version = fields.string("version");
    if (auto icons = fields.dictionary("iconFiles")) {
        auto kept = pf::Dictionary::create();
        for (const auto& [name, data] : *icons)
            if (data.isData())
                kept->set(name, data);
        metadata->m_iconFiles = kept;
    }
    return metadata;
}
