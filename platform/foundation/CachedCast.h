#pragma once

// std::dynamic_pointer_cast for paths that cast every task they see. A cast
// from an object to one of its interfaces searches the class hierarchy on
// each call; where the target lies within the complete object depends only
// on the object's most-derived class, so the offset found is kept for the
// last class seen, per pair of types and thread.
//
// `From` must occur once in the objects cast (a virtual base such as
// pf::Object, or a class inherited once), so that the cast's result depends
// on the class alone. Any thread.

#include <cstddef>
#include <memory>
#include <typeinfo>

namespace pf {

template<class To, class From>
std::shared_ptr<To> cachedCast(const std::shared_ptr<From>& from)
{
    if (!from)
        return nullptr;
    struct Seen {
        const std::type_info* type = nullptr;
        std::ptrdiff_t offset = 0; // of the target from the complete object
        bool castable = false;
    };
    thread_local Seen seen;
    const std::type_info& type = typeid(*from);
    auto* complete = static_cast<char*>(dynamic_cast<void*>(const_cast<std::remove_const_t<From>*>(from.get())));
    if (!seen.type || (seen.type != &type && *seen.type != type)) {
        To* cast = dynamic_cast<To*>(from.get());
        seen.type = &type;
        seen.castable = cast != nullptr;
        seen.offset = cast ? reinterpret_cast<char*>(const_cast<std::remove_const_t<To>*>(cast)) - complete : 0;
        return cast ? std::shared_ptr<To>(from, cast) : nullptr;
    }
    if (!seen.castable)
        return nullptr;
    return std::shared_ptr<To>(from, reinterpret_cast<To*>(complete + seen.offset));
}

}
