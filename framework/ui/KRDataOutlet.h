#pragma once

// A data outlet fills one property of some views from a data item: it takes
// one value out of the item (by key path, as text, as a truth, through a
// text template, or a fixed value) and sets it on each view under `keyPath`,
// such as "text" of a label, "src" of an image view, "visable" of any view
// or "titleLabel.text" of a button. Outlets are interface-file objects,
// grouped and applied by a KRDataOutletContainer; they keep no data between
// applies, and setting a property applies nothing by itself.
//
// Server answers reach views through here, so a key a view lacks or a value
// of the wrong type skips that view (one log line per outlet and key) and
// the other views still get the value.
//
// Main queue only (it sets view properties).

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <optional>
#include <string>
#include <vector>

class KRDataOutlet : public pf::Object {
public:
    // nil, the strings "false", "" and "0", JSON null and numbers equal to
    // zero are false; every other value is true ("False", "no" and "0.0"
    // too, and collections, data, dates and objects).
    static bool booleanValue(const pf::Value& value);

    // Sets the outlet's value on its views, unless the enabled or disabled
    // key path of `item` says not to.
    void applyDataOutlet(const pf::Value& item);
    // The value the outlet would set for `item` (JSON null already nil).
    pf::Value valueForItem(const pf::Value& item) const;

    const std::string& keyPath() const { return m_keyPath; }
    void setKeyPath(std::string keyPath) { m_keyPath = std::move(keyPath); }
    const std::string& stringKeyPath() const { return m_stringKeyPath; }
    void setStringKeyPath(std::string keyPath) { m_stringKeyPath = std::move(keyPath); }
    const std::string& stringFormat() const { return m_stringFormat; }
    void setStringFormat(std::string format);
    const std::string& booleanKeyPath() const { return m_booleanKeyPath; }
    void setBooleanKeyPath(std::string keyPath) { m_booleanKeyPath = std::move(keyPath); }
    const std::string& enabledKeyPath() const { return m_enabledKeyPath; }
    void setEnabledKeyPath(std::string keyPath) { m_enabledKeyPath = std::move(keyPath); }
    const std::string& disabledKeyPath() const { return m_disabledKeyPath; }
    void setDisabledKeyPath(std::string keyPath) { m_disabledKeyPath = std::move(keyPath); }
    const std::string& valueKeyPath() const { return m_valueKeyPath; }
    void setValueKeyPath(std::string keyPath) { m_valueKeyPath = std::move(keyPath); }
    const pf::Value& value() const { return m_value; }
    void setValue(pf::Value value) { m_value = std::move(value); }
    // The status word that selects the outlet in its container; nil: always.
    const std::optional<std::string>& status() const { return m_status; }
    void setStatus(std::optional<std::string> status) { m_status = std::move(status); }

    // The views, kept; `view` reads the last and setting it replaces the list.
    pf::ArrayRef views() const { return m_views; }
    void setViews(pf::ArrayRef views) { m_views = std::move(views); }
    pf::ObjectRef view() const;
    void setView(const pf::ObjectRef& view);

private:
    // A template part: literal text, or (isKey) a key path to fill in.
    struct Piece {
        std::string text;
        bool isKey = false;
    };
    std::string formatted(const pf::Value& item) const;
    void reportFailure(const pf::Object& view, const std::string& reason);

    std::string m_keyPath;
    std::string m_stringKeyPath;
    std::string m_stringFormat;
    std::vector<Piece> m_format;
    std::string m_booleanKeyPath;
    std::string m_enabledKeyPath;
    std::string m_disabledKeyPath;
    pf::Value m_value;
    std::optional<std::string> m_status;
    std::string m_valueKeyPath;
    pf::ArrayRef m_views;
    // The keys already reported, so a list of bad cells logs once.
    std::vector<std::string> m_reportedKeys;
};
