#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    Class& added = r.classes.back();
    for (const Property& p : added.m_properties)
        added.m_propertyIndex.emplace(p.name, &p);
    const Class* c = &added;
    r.classesByName.emplace(c->name(), c);
    r.classesByType.emplace(type, c);
    return c;
}

Class ClassRegistry::make(std::string name, const Class* superclass, std::function<ObjectRef()> factory,
                          std::vector<const Protocol*> protocols, std::vector<Property> properties,
                          std::vector<Action> actions, bool takesAnyKey)
{
    Class c;
    c.m_name = std::move(name);
    c.m_superclass = superclass;
    c.m_factory = std::move(factory);
    std::erase(protocols, nullptr);
    c.m_protocols = std::move(protocols);
    c.m_properties = std::move(properties);
    c.m_actions = std::move(actions);
    c.m_takesAnyKey = takesAnyKey;
    return c;
}

void ClassRegistry::extend(const Class* cls, std::vector<Property> properties, std::vector<Action> actions)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    // Classes live in the registry's deque; extending one is a registration step.
    Class& c = const_cast<Class&>(*cls);
    for (auto& p : properties) {
        if (c.m_propertyIndex.count(p.name))
            continue;
        c.m_extensionProperties.push_back(std::move(p));
        const Property& stored = c.m_extensionProperties.back();
        c.m_propertyIndex.emplace(stored.name, &stored);
    }
    for (auto& a : actions)
        if (std::none_of(c.m_actions.begin(), c.m_actions.end(), [&](auto& b) { return b.name == a.name; }))
            c.m_actions.push_back(std::move(a));
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
    // Nearest class first, so a subclass's key (even one added by an
    // extension) hides a superclass key of the same name.
    for (const Class* c = this; c; c = c->m_superclass)
        if (auto found = c->m_propertyIndex.find(name); found != c->m_propertyIndex.end())
            return found->second;
    return nullptr;
}

const Action* Class::action(std::string_view name) const
{
    for (const Class* c = this; c; c = c->m_superclass)
        for (const Action& a : c->m_actions)
            if (a.name == name)
                return &a;
    return nullptr;
}

bool Class::takesAnyKey() const
{
    for (const Class* c = this; c; c = c->m_superclass)
        if (c->m_takesAnyKey)
            return true;
    return false;
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

void Object::setValueForKey(std::string_view key, const Value& value) { (void)trySetValueForKey(key, value); }

namespace {

Error keyError(const Object& object, std::string_view key, const char* what)
{
    const Class* c = object.objectClass();
    return Error{"pf::Object", 1,
                 (c ? c->name() : std::string("Object")) + ": key \"" + std::string(key) + "\" " + what};
}

bool isScalar(PropertyType type)
{
    switch (type) {
    case PropertyType::Bool:
    case PropertyType::Int:
    case PropertyType::Long:
    case PropertyType::LongLong:
    case PropertyType::Float:
    case PropertyType::Double: return true;
    default: return false;
    }
}

}

std::optional<Error> Object::trySetValueForKey(std::string_view key, const Value& value)
{
    const Class* c = objectClass();
    const Property* p = c ? c->property(key) : nullptr;
    if (!p)
        return setValueForUndefinedKey(key, value);
    if (!p->set)
        return keyError(*this, key, "is read-only");
    if (isScalar(p->type)) {
        if (!value.isNumber() && !value.isString())
            return keyError(*this, key, "takes a number or a text");
        p->set(*this, value);
        return std::nullopt;
    }
    if (p->type == PropertyType::Enum) {
        if (auto text = value.string()) {
            for (const EnumValue& e : p->enumValues)
                if (e.name == *text) {
                    p->set(*this, Value(e.value));
                    return std::nullopt;
                }
            // Otherwise only a whole number: a misspelt name must not read as 0.
            char* end = nullptr;
            long long number = std::strtoll(text->c_str(), &end, 10);
            if (text->empty() || *end != '\0')
                return keyError(*this, key, "takes a number or a value name");
            p->set(*this, Value(number));
            return std::nullopt;
        }
        if (!value.isNumber())
            return keyError(*this, key, "takes a number or a value name");
        p->set(*this, value);
        return std::nullopt;
    }
    if (p->accepts && !p->accepts(value))
        return keyError(*this, key, "does not take a value of this type");
    p->set(*this, value);
    return std::nullopt;
}

std::optional<Error> Object::trySetValueForKeyPath(std::string_view keyPath, const Value& value)
{
    auto dot = keyPath.rfind('.');
    if (dot == std::string_view::npos)
        return trySetValueForKey(keyPath, value);
    Object* target = this;
    ObjectRef hold; // keeps the current object alive while its key is set
    std::string_view path = keyPath.substr(0, dot);
    while (!path.empty()) {
        auto next = path.find('.');
        std::string_view key = path.substr(0, next);
        ObjectRef child = target->valueForKey(key).object();
        if (!child)
            return keyError(*target, key, "holds no object");
        hold = std::move(child);
        target = hold.get();
        path = next == std::string_view::npos ? std::string_view() : path.substr(next + 1);
    }
    return target->trySetValueForKey(keyPath.substr(dot + 1), value);
}

std::optional<Error> Object::setValueForUndefinedKey(std::string_view key, const Value&)
{
    return keyError(*this, key, "is not a key of this class");
}

void registerFoundationClasses()
{
    // The foundation has no classes of its own yet; kept so that every
    // library's registration can call the one below it uniformly.
}

}
