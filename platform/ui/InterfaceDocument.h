#pragma once

// The parsed form of an interface file, shared by the parser and
// instantiate(). Internal to platform/ui.

#include "platform/ui/InterfaceFile.h"

#include <functional>

namespace pf {

// Index of an object of the document; kOwner stands for the owner.
constexpr int kOwner = -1;

struct InterfaceFile::Document {
    struct Setting {
        std::string key;
        // Resolved and type-checked at parse; null: goes to setValueForUndefinedKey.
        const Property* property = nullptr;
        Value value;
        int line = 0;
    };
    struct Link {
        std::string key;
        bool collection = false;
        bool weak = false;
        std::vector<int> targets;
        int line = 0;
    };
    struct ActionLink {
        std::string event;
        int target = kOwner;
        std::string name;
        // Empty when the target is an owner of a class not known at parse time.
        std::function<void(Object&, const ObjectRef&)> invoke;
        int line = 0;
    };
    struct Object {
        std::string id;
        const Class* cls = nullptr;
        int line = 0;
        bool topLevel = false;
        std::vector<Setting> settings;
        std::vector<int> subviews;
        std::vector<Link> links;
        std::vector<ActionLink> actions;
    };
    std::vector<Object> objects; // document order
    std::vector<Link> ownerLinks;
};

// Turns a value element's text into a Value for `property` (null for an
// undeclared key); the error text has no file or line.
ErrorOr<Value> parseInterfaceValue(std::string_view kind, const std::string& text,
                                   const std::vector<std::pair<std::string, std::string>>& attributes,
                                   const Property* property, const Bundle& bundle);
bool isInterfaceValueKind(std::string_view kind);
// Whether a declared property takes the value (conversions as trySetValueForKey).
bool propertyTakes(const Property& property, const Value& value);

}
