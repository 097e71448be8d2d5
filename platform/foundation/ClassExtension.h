#pragma once

// Registration sources only, like ClassBuilder.h.

#include "platform/foundation/ClassBuilder.h"

namespace pf {

// Adds keys (and actions) to a class registered elsewhere, through free
// functions, the way a category adds accessors to a platform class:
//
//   pf::ClassExtension<pf::View>().property("visable", &visable, &setVisable).commit();
//
// T must be registered first; commit() answers null otherwise.
template <class T>
class ClassExtension {
public:
    template <class R, class A>
    ClassExtension& property(std::string name, R (*getter)(const T&), void (*setter)(T&, A))
    {
        using V = detail::Bare<R>;
        static_assert(std::is_same_v<V, detail::Bare<A>>, "getter and setter disagree on the type");
        m_properties.push_back(detail::makeProperty<T, V>(
            std::move(name), [getter](const T& o) -> V { return getter(o); },
            [setter](T& o, V v) { setter(o, std::move(v)); }));
        return *this;
    }
    template <class R>
    ClassExtension& readonlyProperty(std::string name, R (*getter)(const T&))
    {
        using V = detail::Bare<R>;
        m_properties.push_back(
            detail::makeProperty<T, V>(std::move(name), [getter](const T& o) -> V { return getter(o); }, nullptr));
        return *this;
    }
    ClassExtension& action(std::string name, void (*function)(T& target, const ObjectRef& sender))
    {
        m_actions.push_back({std::move(name), [function](Object& target, const ObjectRef& sender) {
                                 function(static_cast<T&>(target), sender);
                             }});
        return *this;
    }
    const Class* commit()
    {
        const Class* cls = ClassRegistry::find(typeid(T));
        if (cls)
            ClassRegistry::extend(cls, std::move(m_properties), std::move(m_actions));
        return cls;
    }

private:
    std::vector<Property> m_properties;
    std::vector<Action> m_actions;
};

}
