#pragma once

// A plain value (a colour, a font, a point, a rect…) carried as an object,
// so that it can travel in a pf::Value through key-value access and
// interface files. Immutable; compared by identity like every object.

#include "platform/foundation/Object.h"

#include <optional>
#include <typeinfo>

namespace pf {

template <class T>
class Boxed final : public Object {
public:
    explicit Boxed(T value) : m_value(std::move(value)) {}

    static Value make(T value) { return Value(ObjectRef(std::make_shared<Boxed<T>>(std::move(value)))); }
    // The boxed value, or nothing when `value` holds no Boxed<T>.
    static std::optional<T> from(const Value& value)
    {
        // Boxed is final, so a type comparison stands in for a cast; key-value
        // access checks and reads values this way on every set.
        const Object* object = value.objectPointer();
        if (!object || typeid(*object) != typeid(Boxed<T>))
            return std::nullopt;
        return static_cast<const Boxed<T>*>(object)->m_value;
    }

    const T& value() const { return m_value; }

private:
    T m_value;
};

}
