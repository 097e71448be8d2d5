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

#include "platform/foundation/Value.h"

#include <functional>
#include <string>
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
    // class and its superclasses. An unknown key reads nil and ignores writes.
    Value valueForKey(std::string_view key) const;
    void setValueForKey(std::string_view key, const Value& value);

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
enum class PropertyType : std::uint8_t { Bool, Int, Long, LongLong, Float, Double, String, Data, Date, Object };

struct Property {
    std::string name;
    PropertyType type = PropertyType::Object;
    std::function<Value(const Object&)> get;
    std::function<void(Object&, const Value&)> set; // empty for read-only properties
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
    // True for the class itself and its subclasses.
    bool isSubclassOf(const Class* other) const;
    bool conformsTo(const Protocol* protocol) const;
    // This class's own declared properties, in declaration order.
    const std::vector<Property>& properties() const { return m_properties; }
    // The class's and then its superclasses' properties; null when none has the name.
    const Property* property(std::string_view name) const;

private:
    friend class ClassRegistry;
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
