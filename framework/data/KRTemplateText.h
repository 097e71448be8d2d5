#pragma once

// The text of a markup template file of a bundle, for the document
// controllers. Template names come from interface files, so a name that is
// absolute or climbs out of the bundle ("..") is refused and nothing
// outside the bundle is read. A missing, refused or unreadable template is
// logged once per name, not once per row; the answer is then nothing.
//
// Main queue only.

#include <memory>
#include <optional>
#include <string>

namespace pf {
class Bundle;
}

// `bundle` null means the main bundle.
std::optional<std::string> KRTemplateText(const std::optional<std::string>& name,
                                          const std::shared_ptr<pf::Bundle>& bundle);

// A template's name and bundle with its text read once: a different name or
// bundle reads it again at the next use.
class KRTemplateTextCache {
public:
    const std::optional<std::string>& name() const { return m_name; }
    void setName(std::optional<std::string> name);
    // Null means the main bundle.
    const std::shared_ptr<pf::Bundle>& bundle() const { return m_bundle; }
    void setBundle(std::shared_ptr<pf::Bundle> bundle);
    // Nothing when the template cannot be read.
    const std::optional<std::string>& text();

private:
    std::optional<std::string> m_name;
    std::shared_ptr<pf::Bundle> m_bundle;
    std::optional<std::optional<std::string>> m_text;
};
