#pragma once

// Arrays of objects as interface files connect them (collections), to and
// from typed lists. Entries of another kind are left out. Any thread.

#include "platform/foundation/Collections.h"

#include <memory>
#include <vector>

template <class T> std::vector<std::shared_ptr<T>> KRObjectsOfArray(const pf::ArrayRef& array)
{
    std::vector<std::shared_ptr<T>> out;
    if (array)
        for (const auto& value : *array)
            if (auto object = value.objectAs<T>())
                out.push_back(std::move(object));
    return out;
}

template <class T> pf::ArrayRef KRArrayOfObjects(const std::vector<std::shared_ptr<T>>& objects)
{
    auto array = pf::Array::create();
    for (const auto& object : objects)
        array->add(pf::Value(pf::ObjectRef(object)));
    return array;
}
