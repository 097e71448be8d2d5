#pragma once

// Describes a C++ class to the runtime. Include this only from the
// registration source of a library; it is the one template-heavy header.
//
//   pf::ClassBuilder<ZMRLoginTask>("ZMRLoginTask")
//       .superclass<KRUplinkTask>()
//       .adopts(proto::IZMRLoginTask())
//       .property("account", &ZMRLoginTask::account, &ZMRLoginTask::setAccount)
//       .commit();

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <typeindex>
#include <typeinfo>

namespace pf {

class ClassRegistry {
public:
    // Registers `cls` for the C++ type `type`; a second registration of the
    // same name answers the first.
    static const Class* add(std::type_index type, Class cls);
    static Class make(std::string name, const Class* superclass, std::function<ObjectRef()> factory,
                      std::vector<const Protocol*> protocols, std::vector<Property> properties,
                      std::vector<Action> actions = {}, bool takesAnyKey = false);
    static const Class* find(std::type_index type);
    // Adds properties and actions to a registered class; a name it already
    // has keeps its first definition.
    static void extend(const Class* cls, std::vector<Property> properties, std::vector<Action> actions);
};

namespace detail {

template <class T> struct PropertyTraits;
template <> struct PropertyTraits<bool> {
    static constexpr PropertyType type = PropertyType::Bool;
    static Value to(bool v) { return Value::boolean(v); }
    static bool from(const Value& v) { return v.boolValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<int> {
    static constexpr PropertyType type = PropertyType::Int;
    static Value to(int v) { return Value(v); }
    static int from(const Value& v) { return v.intValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<long> {
    static constexpr PropertyType type = PropertyType::Long;
    static Value to(long v) { return Value(v); }
    static long from(const Value& v) { return v.longValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<long long> {
    static constexpr PropertyType type = PropertyType::LongLong;
    static Value to(long long v) { return Value(v); }
    static long long from(const Value& v) { return v.longLongValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<float> {
    static constexpr PropertyType type = PropertyType::Float;
    static Value to(float v) { return Value(v); }
    static float from(const Value& v) { return v.floatValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<double> {
    static constexpr PropertyType type = PropertyType::Double;
    static Value to(double v) { return Value(v); }
    static double from(const Value& v) { return v.doubleValue(); }
    static bool accepts(const Value& v) { return v.isNumber() || v.isString(); }
};
template <> struct PropertyTraits<std::string> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const std::string& v) { return Value(v); }
    static std::string from(const Value& v) { return v.stringOr(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isString() || v.isNumber(); }
};
// Text that may be nil.
template <> struct PropertyTraits<std::optional<std::string>> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const std::optional<std::string>& v) { return v ? Value(*v) : Value(); }
    static std::optional<std::string> from(const Value& v) { return v.stringValue(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isString() || v.isNumber(); }
};
template <> struct PropertyTraits<Date> {
    static constexpr PropertyType type = PropertyType::Date;
    static Value to(Date v) { return Value(v); }
    static Date from(const Value& v) {
        if (auto d = v.date()) return *d;
        return Date{v.doubleValue()};
    }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isDate() || v.isNumber(); }
};
template <> struct PropertyTraits<std::optional<Date>> {
    static constexpr PropertyType type = PropertyType::Date;
    static Value to(const std::optional<Date>& v) { return v ? Value(*v) : Value(); }
    static std::optional<Date> from(const Value& v) { return v.date(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isDate(); }
};
template <> struct PropertyTraits<std::shared_ptr<const Bytes>> {
    static constexpr PropertyType type = PropertyType::Data;
    static Value to(const std::shared_ptr<const Bytes>& v) { return v ? Value::data(v) : Value(); }
    static std::shared_ptr<const Bytes> from(const Value& v) { return v.data(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isData(); }
};
template <> struct PropertyTraits<Value> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const Value& v) { return v; }
    static Value from(const Value& v) { return v; }
    static bool accepts(const Value&) { return true; }
};
template <> struct PropertyTraits<ArrayRef> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const ArrayRef& v) { return v ? Value(v) : Value(); }
    static ArrayRef from(const Value& v) { return v.array(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isArray(); }
};
template <> struct PropertyTraits<DictionaryRef> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const DictionaryRef& v) { return v ? Value(v) : Value(); }
    static DictionaryRef from(const Value& v) { return v.dictionary(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.isDictionary(); }
};
// A class, written as its registered name; a name no class has is refused.
template <> struct PropertyTraits<const Class*> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const Class* c) { return c ? Value(c->name()) : Value(); }
    static const Class* from(const Value& v) { return v.isString() ? Class::named(*v.string()) : nullptr; }
    static bool accepts(const Value& v) { return v.isNilOrNull() || (v.isString() && Class::named(*v.string())); }
};
template <class U> struct PropertyTraits<std::shared_ptr<U>> {
    static_assert(std::is_base_of_v<Object, U>, "object properties hold pf::Object subclasses");
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const std::shared_ptr<U>& v) { return v ? Value(ObjectRef(v)) : Value(); }
    static std::shared_ptr<U> from(const Value& v) { return v.objectAs<U>(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.objectAs<U>() != nullptr; }
};

template <class R> using Bare = std::remove_cvref_t<R>;

// `set` is nullptr for a read-only property. The callables are stored as
// they are, so a key costs one indirect call.
template <class T, class V, class Get, class Set>
Property makeProperty(std::string name, Get get, Set set)
{
    Property p;
    p.name = std::move(name);
    p.type = PropertyTraits<V>::type;
    p.accepts = &PropertyTraits<V>::accepts;
    p.get = [get](const Object& o) { return PropertyTraits<V>::to(get(static_cast<const T&>(o))); };
    if constexpr (std::is_same_v<V, int> || std::is_same_v<V, long> || std::is_same_v<V, long long> ||
                  std::is_same_v<V, bool>)
        p.getInteger = [get](const Object& o) { return static_cast<long long>(get(static_cast<const T&>(o))); };
    if constexpr (std::is_same_v<V, double> || std::is_same_v<V, float>)
        p.getReal = [get](const Object& o) { return static_cast<double>(get(static_cast<const T&>(o))); };
    if constexpr (std::is_same_v<V, std::string>) {
        p.getText = [get](const Object& o, std::string& out) {
            out = get(static_cast<const T&>(o));
            return true;
        };
    }
    if constexpr (std::is_same_v<V, std::optional<std::string>>) {
        p.getText = [get](const Object& o, std::string& out) {
            std::optional<std::string> text = get(static_cast<const T&>(o));
            if (!text)
                return false;
            out = std::move(*text);
            return true;
        };
    }
    if constexpr (!std::is_null_pointer_v<Set>) {
        p.set = [set](Object& o, const Value& v) { set(static_cast<T&>(o), PropertyTraits<V>::from(v)); };
        if constexpr (std::is_same_v<V, std::string> || std::is_same_v<V, std::optional<std::string>>) {
            p.setText = [set](Object& o, std::string_view text) { set(static_cast<T&>(o), V(std::string(text))); };
            p.take = [set](Object& o, Value&& v) {
                // The value is the caller's to give up, so its text is not const.
                if (auto* text = const_cast<std::string*>(v.string()))
                    set(static_cast<T&>(o), V(std::move(*text)));
                else
                    set(static_cast<T&>(o), PropertyTraits<V>::from(v));
            };
        }
        if constexpr (std::is_same_v<V, int> || std::is_same_v<V, long> || std::is_same_v<V, long long> ||
                      std::is_same_v<V, bool>)
            p.setInteger = [set](Object& o, long long v) { set(static_cast<T&>(o), static_cast<V>(v)); };
        if constexpr (std::is_same_v<V, double> || std::is_same_v<V, float>)
            p.setReal = [set](Object& o, double v) { set(static_cast<T&>(o), static_cast<V>(v)); };
    }
    return p;
}

template <class T, class E>
Property makeEnumProperty(std::string name, std::function<E(const T&)> get, std::function<void(T&, E)> set,
                          std::vector<EnumValue> values)
{
    Property p;
    p.name = std::move(name);
    p.type = PropertyType::Enum;
    p.enumValues = std::move(values);
    p.accepts = [](const Value& v) { return v.isNumber(); };
    p.get = [get = std::move(get)](const Object& o) {
        return Value(static_cast<long long>(get(static_cast<const T&>(o))));
    };
    if (set)
        p.set = [set = std::move(set)](Object& o, const Value& v) {
            set(static_cast<T&>(o), static_cast<E>(v.longLongValue()));
        };
    return p;
}

}

template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(std::string name) : m_name(std::move(name))
    {
        if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
            m_factory = [] { return ObjectRef(std::make_shared<T>()); };
    }

    template <class Super>
    ClassBuilder& superclass()
    {
        static_assert(std::is_base_of_v<Super, T>);
        m_superclass = ClassRegistry::find(typeid(Super));
        return *this;
    }
    ClassBuilder& adopts(const Protocol* protocol)
    {
        m_protocols.push_back(protocol);
        return *this;
    }
    // A class whose instances are made elsewhere (or not at all).
    ClassBuilder& noFactory()
    {
        m_factory = nullptr;
        return *this;
    }
    // Instances made by `make`, for a class whose constructor takes arguments.
    ClassBuilder& factory(std::function<ObjectRef()> make)
    {
        m_factory = std::move(make);
        return *this;
    }

    // The accessors may be members of a base class of T.
    template <class R, class A, class G, class S>
    ClassBuilder& property(std::string name, R (G::*getter)() const, void (S::*setter)(A))
    {
        static_assert(std::is_base_of_v<G, T> && std::is_base_of_v<S, T>, "accessors of another class");
        using V = detail::Bare<R>;
        static_assert(std::is_same_v<V, detail::Bare<A>>, "getter and setter disagree on the type");
        m_properties.push_back(detail::makeProperty<T, V>(
            std::move(name), [getter](const T& o) -> V { return (o.*getter)(); },
            [setter](T& o, V v) { (o.*setter)(std::move(v)); }));
        return *this;
    }
    // An object property that does not keep its object (a delegate), so an
    // interface file may point it anywhere, cycles included.
    template <class R, class A, class G, class S>
    ClassBuilder& weakProperty(std::string name, R (G::*getter)() const, void (S::*setter)(A))
    {
        property(std::move(name), getter, setter);
        m_properties.back().weak = true;
        return *this;
    }
    template <class R, class G>
    ClassBuilder& readonlyProperty(std::string name, R (G::*getter)() const)
    {
        static_assert(std::is_base_of_v<G, T>, "a getter of another class");
        using V = detail::Bare<R>;
        m_properties.push_back(
            detail::makeProperty<T, V>(std::move(name), [getter](const T& o) -> V { return (o.*getter)(); }, nullptr));
        return *this;
    }
    // An enum or flags property; interface files name its values.
    template <class E>
    ClassBuilder& enumProperty(std::string name, E (T::*getter)() const, void (T::*setter)(E),
                               std::vector<EnumValue> values)
    {
        m_properties.push_back(detail::makeEnumProperty<T, E>(
            std::move(name), [getter](const T& o) { return (o.*getter)(); }, [setter](T& o, E v) { (o.*setter)(v); },
            std::move(values)));
        return *this;
    }
    // A method callable by name with its sender (nil when there is none).
    ClassBuilder& action(std::string name, void (T::*method)(const ObjectRef& sender))
    {
        m_actions.push_back({std::move(name), [method](Object& target, const ObjectRef& sender) {
                                 (static_cast<T&>(target).*method)(sender);
                             }});
        return *this;
    }
    // Instances take undeclared keys through setValueForUndefinedKey.
    ClassBuilder& takesAnyKey()
    {
        m_takesAnyKey = true;
        return *this;
    }

    const Class* commit()
    {
        return ClassRegistry::add(typeid(T), ClassRegistry::make(std::move(m_name), m_superclass, std::move(m_factory),
                                                                 std::move(m_protocols), std::move(m_properties),
                                                                 std::move(m_actions), m_takesAnyKey));
    }

private:
    std::string m_name;
    const Class* m_superclass = nullptr;
    std::function<ObjectRef()> m_factory;
    std::vector<const Protocol*> m_protocols;
    std::vector<Property> m_properties;
    std::vector<Action> m_actions;
    bool m_takesAnyKey = false;
};

}
