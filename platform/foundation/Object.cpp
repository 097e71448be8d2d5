#include "platform/foundation/ClassBuilder.h"

#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace pf {

namespace {

struct StringLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a < b; }
};

// Registration happens at start-up, lookups from any thread afterwards.
// deque keeps addresses stable as entries are added.
struct Registry {
    std::shared_mutex mutex; // guards everything below
    std::deque<Class> classes;
    std::deque<Protocol> protocols;
    std::map<std::string, const Class*, StringLess> classesByName;
    std::unordered_map<std::type_index, const Class*> classesByType;
    std::map<std::string, const Protocol*, StringLess> protocolsByName;
};

Registry& registry()
{
    static Registry* r = new Registry; // never destroyed: classes outlive every object
    return *r;
}

}

Protocol::Protocol(std::string name, std::vector<const Protocol*> parents)
    : m_name(std::move(name)), m_parents(std::move(parents))
{
}

const Protocol* Protocol::define(std::string name, std::vector<const Protocol*> parents)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (auto it = r.protocolsByName.find(name); it != r.protocolsByName.end())
        return it->second;
    std::erase(parents, nullptr);
    r.protocols.emplace_back(name, std::move(parents));
    const Protocol* p = &r.protocols.back();
    r.protocolsByName.emplace(std::move(name), p);
    return p;
}

const Protocol* Protocol::named(std::string_view name)
{
    Registry& r = registry();
    std::shared_lock lock(r.mutex);
    auto it = r.protocolsByName.find(name);
    return it == r.protocolsByName.end() ? nullptr : it->second;
}

bool Protocol::conformsTo(const Protocol* other) const
{
    if (!other)
        return false;
    if (this == other)
        return true;
    for (const Protocol* parent : m_parents)
        if (parent->conformsTo(other))
            return true;
    return false;
}

const Class* ClassRegistry::add(std::type_index type, Class cls)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    if (auto it = r.classesByName.find(cls.name()); it != r.classesByName.end())
        return it->second;
    r.classes.push_back(std::move(cls));
    const Class* c = &r.classes.back();
    r.classesByName.emplace(c->name(), c);
    r.classesByType.emplace(type, c);
    return c;
}

Class ClassRegistry::make(std::string name, const Class* superclass, std::function<ObjectRef()> factory,
                          std::vector<const Protocol*> protocols, std::vector<Property> properties)
{
    Class c;
    c.m_name = std::move(name);
    c.m_superclass = superclass;
    c.m_factory = std::move(factory);
    std::erase(protocols, nullptr);
    c.m_protocols = std::move(protocols);
    c.m_properties = std::move(properties);
    return c;
}

const Class* ClassRegistry::find(std::type_index type)
{
    Registry& r = registry();
    std::shared_lock lock(r.mutex);
    auto it = r.classesByType.find(type);
    return it == r.classesByType.end() ? nullptr : it->second;
}

const Class* Class::named(std::string_view name)
{
    Registry& r = registry();
    std::shared_lock lock(r.mutex);
    auto it = r.classesByName.find(name);
    return it == r.classesByName.end() ? nullptr : it->second;
}

const Class* Class::of(const Object& object) { return ClassRegistry::find(typeid(object)); }

bool Class::isSubclassOf(const Class* other) const
{
    for (const Class* c = this; c; c = c->m_superclass)
        if (c == other)
            return true;
    return false;
}

bool Class::conformsTo(const Protocol* protocol) const
{
    for (const Class* c = this; c; c = c->m_superclass)
        for (const Protocol* p : c->m_protocols)
            if (p->conformsTo(protocol))
                return true;
    return false;
}

const Property* Class::property(std::string_view name) const
{
    for (const Class* c = this; c; c = c->m_superclass)
        for (const Property& p : c->m_properties)
            if (p.name == name)
                return &p;
    return nullptr;
}

const Class* Object::objectClass() const { return Class::of(*this); }

std::string Object::description() const
{
    const Class* c = objectClass();
    char buf[64];
    std::snprintf(buf, sizeof buf, ": %p>", static_cast<const void*>(this));
    return "<" + (c ? c->name() : std::string("Object")) + buf;
}

Value Object::valueForKey(std::string_view key) const
{
    const Class* c = objectClass();
    const Property* p = c ? c->property(key) : nullptr;
    return p && p->get ? p->get(*this) : Value();
}

void Object::setValueForKey(std::string_view key, const Value& value)
{
    const Class* c = objectClass();
    const Property* p = c ? c->property(key) : nullptr;
    if (p && p->set)
        p->set(*this, value);
}

void registerFoundationClasses()
{
    // The foundation has no classes of its own yet; kept so that every
    // library's registration can call the one below it uniformly.
}

}
