#pragma once

// The three roles of a form: an input view that keeps a value apart from
// the text it shows, an editor that edits the focused item (a keyboard bar,
// a date or a choice picker) and the one the items report focus changes to
// (the form controller).
//
// Main queue only.

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

class KRFormItem;

class IKRFormItemView {
public:
    virtual ~IKRFormItemView() = default;
    virtual pf::Value value() const = 0;
    virtual void setValue(const pf::Value& value) = 0;
    virtual std::optional<std::string> text() const = 0;
    virtual void setText(const std::optional<std::string>& text) = 0;
};

// Shows itself for an item and hides for none.
class IKRFormEditor {
public:
    virtual ~IKRFormEditor() = default;
    virtual const std::string& editorType() const = 0;
    virtual void setEditorType(const std::string& type) = 0;
    virtual std::shared_ptr<KRFormItem> formItem() const = 0;
    virtual void setFormItem(const std::shared_ptr<KRFormItem>& item) = 0;
};

// Both calls are optional: the defaults do nothing.
class KRFormItemDelegate {
public:
    virtual ~KRFormItemDelegate() = default;
    // `item` may be null: the focus leaves the form.
    virtual void krFormItemOnFocusAction(const std::shared_ptr<KRFormItem>& /*item*/) {}
    virtual void krFormItemOnFocusCancel(const std::shared_ptr<KRFormItem>& /*item*/) {}
};
