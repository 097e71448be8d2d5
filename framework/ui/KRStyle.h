#pragma once

// One named-style entry: the property `key` set on a view, with the value to
// set. An entry uses the first of `imageValue`, `fontValue`, `edgeValue` and
// `value` that is present; the texts are converted by the style sheet.
// Filled from interface files; main queue only.

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

class KRStyle : public pf::Object {
public:
    const std::optional<std::string>& name() const { return m_name; }
    void setName(std::optional<std::string> name) { m_name = std::move(name); }
    const std::optional<std::string>& key() const { return m_key; }
    void setKey(std::optional<std::string> key) { m_key = std::move(key); }
    const pf::Value& value() const { return m_value; }
    void setValue(pf::Value value) { m_value = std::move(value); }
    const std::optional<std::string>& imageValue() const { return m_imageValue; }
    void setImageValue(std::optional<std::string> text) { m_imageValue = std::move(text); }
    const std::optional<std::string>& fontValue() const { return m_fontValue; }
    void setFontValue(std::optional<std::string> text) { m_fontValue = std::move(text); }
    const std::optional<std::string>& edgeValue() const { return m_edgeValue; }
    void setEdgeValue(std::optional<std::string> text) { m_edgeValue = std::move(text); }

private:
    std::optional<std::string> m_name;
    std::optional<std::string> m_key;
    pf::Value m_value;
    std::optional<std::string> m_imageValue;
    std::optional<std::string> m_fontValue;
    std::optional<std::string> m_edgeValue;
};

using KRStyleRef = std::shared_ptr<KRStyle>;
