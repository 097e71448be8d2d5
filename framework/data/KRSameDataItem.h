#pragma once

// Whether a cell or item view is given the item it already shows: the same
// array, dictionary or object, or an equal plain value. Rebinding such an
// item would redo its outlets, images and own data source for nothing.
// Any thread.

#include "platform/foundation/Value.h"

inline bool KRSameDataItem(const pf::Value& a, const pf::Value& b)
{
    if (a.type() != b.type())
        return false;
    if (a.isArray())
        return a.array() == b.array();
    if (a.isDictionary())
        return a.dictionary() == b.dictionary();
    if (a.isObject())
        return a.object() == b.object();
    return a == b;
}
