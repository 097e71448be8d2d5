#pragma once

// One choice of a picker editor: the value an item receives, the text shown
// in its row and as the item's text, and the choices of the next column.
//
// Main queue only.

#include "platform/foundation/Object.h"

class KRFormPickerEditorItem : public pf::Object {
public:
    const pf::Value& value() const { return m_value; }
    void setValue(const pf::Value& value) { m_value = value; }
    const std::string& text() const { return m_text; }
    void setText(const std::string& text) { m_text = text; }
    // KRFormPickerEditorItem objects.
    const pf::ArrayRef& items() const { return m_items; }
    void setItems(const pf::ArrayRef& items) { m_items = items; }

private:
    pf::Value m_value;
    std::string m_text;
    pf::ArrayRef m_items;
};
