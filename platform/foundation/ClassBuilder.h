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
                      std::vector<const Protocol*> protocols, std::vector<Property> properties);
    static const Class* find(std::type_index type);
};

namespace detail {

template <class T> struct PropertyTraits;
template <> struct PropertyTraits<bool> {
    static constexpr PropertyType type = PropertyType::Bool;
    static Value to(bool v) { return Value::boolean(v); }
    static bool from(const Value& v) { return v.boolValue(); }
};
template <> struct PropertyTraits<int> {
    static constexpr PropertyType type = PropertyType::Int;
    static Value to(int v) { return Value(v); }
    static int from(const Value& v) { return v.intValue(); }
};
template <> struct PropertyTraits<long> {
    static constexpr PropertyType type = PropertyType::Long;
    static Value to(long v) { return Value(v); }
    static long from(const Value& v) { return v.longValue(); }
};
template <> struct PropertyTraits<long long> {
    static constexpr PropertyType type = PropertyType::LongLong;
    static Value to(long long v) { return Value(v); }
    static long long from(const Value& v) { return v.longLongValue(); }
};
template <> struct PropertyTraits<float> {
    static constexpr PropertyType type = PropertyType::Float;
    static Value to(float v) { return Value(v); }
    static float from(const Value& v) { return v.floatValue(); }
};
template <> struct PropertyTraits<double> {
    static constexpr PropertyType type = PropertyType::Double;
    static Value to(double v) { return Value(v); }
    static double from(const Value& v) { return v.doubleValue(); }
};
template <> struct PropertyTraits<std::string> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const std::string& v) { return Value(v); }
    static std::string from(const Value& v) { return v.stringOr(); }
};
// Text that may be nil.
template <> struct PropertyTraits<std::optional<std::string>> {
    static constexpr PropertyType type = PropertyType::String;
    static Value to(const std::optional<std::string>& v) { return v ? Value(*v) : Value(); }
    static std::optional<std::string> from(const Value& v) { return v.stringValue(); }
};
template <> struct PropertyTraits<Date> {
    static constexpr PropertyType type = PropertyType::Date;
    static Value to(Date v) { return Value(v); }
    static Date from(const Value& v) {
        if (auto d = v.date()) return *d;
        return Date{v.doubleValue()};
    }
};
template <> struct PropertyTraits<std::optional<Date>> {
    static constexpr PropertyType type = PropertyType::Date;
    static Value to(const std::optional<Date>& v) { return v ? Value(*v) : Value(); }
    static std::optional<Date> from(const Value& v) { return v.date(); }
};
template <> struct PropertyTraits<std::shared_ptr<const Bytes>> {
    static constexpr PropertyType type = PropertyType::Data;
    static Value to(const std::shared_ptr<const Bytes>& v) { return v ? Value::data(v) : Value(); }
    static std::shared_ptr<const Bytes> from(const Value& v) { return v.data(); }
};
template <> struct PropertyTraits<Value> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const Value& v) { return v; }
    static Value from(const Value& v) { return v; }
};
template <> struct PropertyTraits<ArrayRef> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const ArrayRef& v) { return v ? Value(v) : Value(); }
    static ArrayRef from(const Value& v) { return v.array(); }
};
template <> struct PropertyTraits<DictionaryRef> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const DictionaryRef& v) { return v ? Value(v) : Value(); }
    static DictionaryRef from(const Value& v) { return v.dictionary(); }
};
template <class U> struct PropertyTraits<std::shared_ptr<U>> {
    static_assert(std::is_base_of_v<Object, U>, "object properties hold pf::Object subclasses");
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const std::shared_ptr<U>& v) { return v ? Value(ObjectRef(v)) : Value(); }
    static std::shared_ptr<U> from(const Value& v) { return v.objectAs<U>(); }
};

template <class R> using Bare = std::remove_cvref_t<R>;

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

    template <class R, class A>
    ClassBuilder& property(std::string name, R (T::*getter)() const, void (T::*setter)(A))
    {
        using V = detail::Bare<R>;
        static_assert(std::is_same_v<V, detail::Bare<A>>, "getter and setter disagree on the type");
        Property p;
        p.name = std::move(name);
        p.type = detail::PropertyTraits<V>::type;
        p.get = [getter](const Object& o) { return detail::PropertyTraits<V>::to((static_cast<const T&>(o).*getter)()); };
        p.set = [setter](Object& o, const Value& v) { (static_cast<T&>(o).*setter)(detail::PropertyTraits<V>::from(v)); };
        m_properties.push_back(std::move(p));
        return *this;
    }
    template <class R>
    ClassBuilder& readonlyProperty(std::string name, R (T::*getter)() const)
    {
        using V = detail::Bare<R>;
        Property p;
        p.name = std::move(name);
        p.type = detail::PropertyTraits<V>::type;
        p.get = [getter](const Object& o) { return detail::PropertyTraits<V>::to((static_cast<const T&>(o).*getter)()); };
        m_properties.push_back(std::move(p));
        return *this;
    }

    const Class* commit()
    {
        return ClassRegistry::add(typeid(T), ClassRegistry::make(std::move(m_name), m_superclass, std::move(m_factory),
                                                                 std::move(m_protocols), std::move(m_properties)));
    }

private:
    std::string m_name;
    const Class* m_superclass = nullptr;
    std::function<ObjectRef()> m_factory;
    std::vector<const Protocol*> m_protocols;
    std::vector<Property> m_properties;
};

}
