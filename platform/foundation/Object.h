#pragma once

// The object runtime: objects that the system handles as "any object"
// (tasks, services, records, controllers) derive from Object; their classes
// and the protocols (task types, service interfaces) they adopt are described
// at run time by Class and Protocol, looked up by name from configuration.
//
// Classes and protocols are registered explicitly by each library's
// registration function (see ClassBuilder.h), never by static initialisers,
// which a static link may drop. Registration happens at start-up; lookups are
// safe from any thread afterwards. Class and Protocol objects live for the
// life of the process, so their addresses are their identities.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pf {

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;

    // The registered class of the object's dynamic type, or null when the
    // type was never registered.
    const Class* objectClass() const;
    // "<ClassName: 0x…>" unless a class has a better text.
    virtual std::string description() const;

    // Key-value access through the declared properties of the registered
    // class, its superclasses and their extensions. A key the class does not
    // declare is read through valueForUndefinedKey; setValueForKey ignores
    // what trySetValueForKey would refuse.
    Value valueForKey(std::string_view key) const;
    void setValueForKey(std::string_view key, const Value& value);

    // Sets a declared property, converting where the value allows it:
    // scalars take numbers and texts by their leading number (a boolean is
    // true for a text beginning Y, y, T, t or a non-zero digit); texts take
    // strings, nil or numbers (as their "%@" text); everything else takes its
    // own type or nil. A key the class does not declare goes to
    // setValueForUndefinedKey. Answers the error and changes nothing when the
    // key is unknown, read-only or the value of the wrong type.
    std::optional<Error> trySetValueForKey(std::string_view key, const Value& value);
    // "a.b.c": reads "a" and "b" as objects, then sets "c" on the last one.
    std::optional<Error> trySetValueForKeyPath(std::string_view keyPath, const Value& value);
    // The fallback for keys the class does not declare: an error here;
    // classes that take any key override it.
    virtual std::optional<Error> setValueForUndefinedKey(std::string_view key, const Value& value);
    // Its twin for reading: nil here; a class that keeps undeclared keys
    // answers what was set under them.
    virtual Value valueForUndefinedKey(std::string_view key) const;

    // Sent by an interface file to each object it made, in document order,
    // once every object and the owner's outlets are linked.
    virtual void awakeFromNib() {}

    // Whether `other` stands for the same thing: identity, unless a class
    // declares an equality of its own (a record by its key). Value equality
    // and array membership ask this; code that needs the very same object
    // compares addresses.
    virtual bool isEqual(const Object& other) const { return this == &other; }
};

// A named interface (a task type, a service interface). Conformance follows
// the parent protocols; identity is the object's address.
class Protocol {
public:
    // Defines the protocol once; a later call with the same name answers the
    // first definition.
    static const Protocol* define(std::string name, std::vector<const Protocol*> parents = {});
    // Null when no protocol has that name.
    static const Protocol* named(std::string_view name);

    const std::string& name() const { return m_name; }
    const std::vector<const Protocol*>& parents() const { return m_parents; }
    // True for the protocol itself and every protocol it derives from.
    bool conformsTo(const Protocol* other) const;

    Protocol(std::string name, std::vector<const Protocol*> parents);
    Protocol(const Protocol&) = delete;
    Protocol& operator=(const Protocol&) = delete;

private:
    std::string m_name;
    std::vector<const Protocol*> m_parents;
};

// What a declared property holds, as binding, column derivation and encoding
// need to know it.
// Colours, fonts and geometry travel in a Value as pf::Boxed objects,
// pictures as pf::Image objects; enums as numbers.
enum class PropertyType : std::uint8_t {
    Bool, Int, Long, LongLong, Float, Double, String, Data, Date, Object,
    Color, Font, Image, Point, Size, Rect, EdgeInsets, Enum
};

// A name an enum (or flags) property takes in interface files, with its number.
struct EnumValue {
    std::string name;
    long long value = 0;
};

struct Property {
    std::string name;
    PropertyType type = PropertyType::Object;
    std::function<Value(const Object&)> get;
    std::function<void(Object&, const Value&)> set; // empty for read-only properties
    // Like set, for a value the caller gives up, so that a text moves in
    // rather than being copied; empty where set is all there is.
    std::function<void(Object&, Value&&)> take;
    // For text properties (std::string, std::optional<std::string>): set
    // from the characters, made straight into the property's own type.
    std::function<void(Object&, std::string_view)> setText;
    // For properties of a plain C++ number type (int, long, long long, bool;
    // double, float): set from a number of that kind without making a value.
    // Empty for every other property.
    std::function<void(Object&, long long)> setInteger;
    std::function<void(Object&, double)> setReal;
    // Their reading side, for a caller that wants the plain number or text
    // without making a value: getText answers false for a nil text and
    // leaves `out` as it was. Empty for properties of other types.
    std::function<long long(const Object&)> getInteger;
    std::function<double(const Object&)> getReal;
    std::function<bool(const Object&, std::string& out)> getText;
    // Whether set takes the value as it is (the type's own or nil); empty
    // for properties that take any value. Conversions of scalars and texts
    // come before this check.
    std::function<bool(const Value&)> accepts;
    std::vector<EnumValue> enumValues; // for Enum properties
    // The property does not keep the object it is given (a delegate).
    bool weak = false;
};

// A method that an interface file's action, or any sender, may call by name.
struct Action {
    std::string name;
    std::function<void(Object& target, const ObjectRef& sender)> invoke;
};

class Class {
public:
    // Null when no class has that name.
    static const Class* named(std::string_view name);
    // The registered class of an object's dynamic type, or null.
    static const Class* of(const Object& object);

    const std::string& name() const { return m_name; }
    const Class* superclass() const { return m_superclass; }
    // A new instance, or null for a class registered without a factory.
    ObjectRef create() const { return m_factory ? m_factory() : nullptr; }
    bool hasFactory() const { return bool(m_factory); }
    // True for the class itself and its subclasses.
    bool isSubclassOf(const Class* other) const;
    bool conformsTo(const Protocol* protocol) const;
    // This class's own declared properties, in declaration order.
    const std::vector<Property>& properties() const { return m_properties; }
    // The class's and then its superclasses' properties, each class's own
    // before its extensions'; null when none has the name.
    const Property* property(std::string_view name) const;
    // The class's and then its superclasses' actions; null when none has the name.
    const Action* action(std::string_view name) const;
    // Instances take keys the class does not declare through
    // setValueForUndefinedKey (a class or a superclass says so).
    bool takesAnyKey() const;

private:
    friend class ClassRegistry;
    bool m_takesAnyKey = false;
    std::vector<Action> m_actions;
    // Added by extensions after registration; a deque keeps earlier
    // properties where they are.
    std::deque<Property> m_extensionProperties;
    // Every property the class answers to by name, its superclasses'
    // included, each resolved to the nearest class that declares or extends
    // it (own before extension); the keys view the names stored in the
    // classes. Kept whole at registration, so a lookup is one hash probe.
    // An open-addressed table (linear probing, at most half full): key-value
    // access looks a key up on every get and set.
    struct IndexEntry {
        const Property* property = nullptr;
        const Class* owner = nullptr;
    };
    struct IndexSlot {
        std::string_view name;
        std::uint32_t hash = 0;
        bool used = false;
        IndexEntry entry;
    };
    const IndexEntry* findEntry(std::string_view name) const;
    // The entry for `name`, added empty (no owner) when missing; registration only.
    IndexEntry& entryFor(std::string_view name);
    std::vector<IndexSlot> m_propertyIndex;
    std::size_t m_propertyCount = 0;
    std::string m_name;
    const Class* m_superclass = nullptr;
    std::function<ObjectRef()> m_factory;
    std::vector<const Protocol*> m_protocols;
    std::vector<Property> m_properties;
};

// Registers the platform's own classes; every registration function calls
// the ones below it, and a second call does nothing.
void registerFoundationClasses();

}
