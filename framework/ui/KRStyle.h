#pragma once

// One named-style entry: the property `key` set on a view, with the value to
// set. An entry uses the first of `imageValue`, `fontValue`, `edgeValue` and
// `value` that is present; the texts are converted by the style sheet.
// Filled from interface files; main queue only.
//
// The sheets that read an entry hear of its changes: each gives the entry
// its mutation counter, which every setter raises, so a sheet's cached
// lookups never outlive an edit.

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KRStyle : public pf::Object {
public:
    const std::optional<std::string>& name() const { return m_name; }
    void setName(std::optional<std::string> name) { m_name = std::move(name); mutated(); }
    const std::optional<std::string>& key() const { return m_key; }
    void setKey(std::optional<std::string> key) { m_key = std::move(key); mutated(); }
    const pf::Value& value() const { return m_value; }
    void setValue(pf::Value value) { m_value = std::move(value); mutated(); }
    const std::optional<std::string>& imageValue() const { return m_imageValue; }
    void setImageValue(std::optional<std::string> text) { m_imageValue = std::move(text); mutated(); }
    const std::optional<std::string>& fontValue() const { return m_fontValue; }
    void setFontValue(std::optional<std::string> text) { m_fontValue = std::move(text); mutated(); }
    const std::optional<std::string>& edgeValue() const { return m_edgeValue; }
    void setEdgeValue(std::optional<std::string> text) { m_edgeValue = std::move(text); mutated(); }

    // Held weakly; giving the same counter again does nothing.
    void addMutationCounter(const std::shared_ptr<unsigned>& counter);

private:
    void mutated();

    std::vector<std::weak_ptr<unsigned>> m_mutationCounters;
    std::optional<std::string> m_name;
    std::optional<std::string> m_key;
    pf::Value m_value;
    std::optional<std::string> m_imageValue;
    std::optional<std::string> m_fontValue;
    std::optional<std::string> m_edgeValue;
};

using KRStyleRef = std::shared_ptr<KRStyle>;
