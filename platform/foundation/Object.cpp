#include "platform/foundation/ClassBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    if (added.m_superclass) {
        added.m_propertyIndex = added.m_superclass->m_propertyIndex;
        added.m_propertyCount = added.m_superclass->m_propertyCount;
    }
    for (const Property& p : added.m_properties) {
        auto& entry = added.entryFor(p.name);
        if (entry.owner != &added) // a repeated name keeps its first declaration
            entry = {&p, &added};
    }
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
        if (auto found = c.findEntry(p.name); found && found->owner == &c)
            continue;
        c.m_extensionProperties.push_back(std::move(p));
        const Property& stored = c.m_extensionProperties.back();
        // The class and its subclasses answer the new key, unless a class
        // nearer to them already has one of that name.
        for (Class& sub : r.classes) {
            if (!sub.isSubclassOf(&c))
                continue;
            auto& entry = sub.entryFor(stored.name);
            if (!entry.owner || (entry.owner != &c && c.isSubclassOf(entry.owner)))
                entry = {&stored, &c};
        }
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

const Class* Class::of(const Object& object)
{
    // Key-value access asks this for every key it sets; a small per-thread
    // cache by type-info address spares the locked lookup by type name.
    // Only found classes are kept: classes are never removed, while one not
    // yet registered may be later.
    struct Slot {
        const std::type_info* type = nullptr;
        const Class* cls = nullptr;
    };
    thread_local Slot cache[64];
    const std::type_info& type = typeid(object);
    Slot& slot = cache[(reinterpret_cast<std::uintptr_t>(&type) >> 4) % 64];
    if (slot.type == &type)
        return slot.cls;
    const Class* cls = ClassRegistry::find(type);
    if (cls)
        slot = {&type, cls};
    return cls;
}

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

namespace {

// Keys are short names; their first and last eight bytes and their length
// tell them apart well enough, and a full comparison settles the rest.
std::uint32_t hashName(std::string_view name)
{
    std::uint64_t head = 0, tail = 0;
    std::size_t n = name.size();
    if (n == 0)
        return 0;
    std::memcpy(&head, name.data(), std::min<std::size_t>(n, 8));
    if (n > 8)
        std::memcpy(&tail, name.data() + n - 8, 8);
    std::uint64_t h = head * 0x9E3779B97F4A7C15ull ^ (tail + n) * 0xC2B2AE3D27D4EB4Full;
    return std::uint32_t(h ^ (h >> 29) ^ (h >> 47));
}

}

const Class::IndexEntry* Class::findEntry(std::string_view name) const
{
    if (m_propertyIndex.empty())
        return nullptr;
    std::uint32_t h = hashName(name);
    std::size_t mask = m_propertyIndex.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const IndexSlot& slot = m_propertyIndex[i];
        if (!slot.used)
            return nullptr;
        if (slot.hash == h && slot.name == name)
            return &slot.entry;
    }
}

Class::IndexEntry& Class::entryFor(std::string_view name)
{
    if (auto found = findEntry(name))
        return const_cast<IndexEntry&>(*found);
    if ((m_propertyCount + 1) * 2 > m_propertyIndex.size()) {
        std::vector<IndexSlot> old = std::move(m_propertyIndex);
        m_propertyIndex.assign(std::max<std::size_t>(16, old.size() * 2), IndexSlot{});
        std::size_t mask = m_propertyIndex.size() - 1;
        for (IndexSlot& slot : old) {
            if (!slot.used)
                continue;
            std::size_t i = slot.hash & mask;
            while (m_propertyIndex[i].used)
                i = (i + 1) & mask;
            m_propertyIndex[i] = slot;
        }
    }
    std::uint32_t h = hashName(name);
    std::size_t mask = m_propertyIndex.size() - 1;
    std::size_t i = h & mask;
    while (m_propertyIndex[i].used)
        i = (i + 1) & mask;
    ++m_propertyCount;
    m_propertyIndex[i] = {name, h, true, {}};
    return m_propertyIndex[i].entry;
}

const Property* Class::property(std::string_view name) const
{
    const IndexEntry* found = findEntry(name);
    return found ? found->property : nullptr;
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
    if (!p)
        return valueForUndefinedKey(key);
    return p->get ? p->get(*this) : Value();
}

Value Object::valueForUndefinedKey(std::string_view) const { return Value(); }

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
