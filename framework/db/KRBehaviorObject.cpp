#include "framework/db/KRBehaviorObject.h"

#include "framework/db/KRBESessionObject.h"
#include "framework/util/KRMD5String.h"
#include "platform/foundation/Collections.h"

#include <cstdio>
#include <random>

namespace {

pf::Value deepCopy(const pf::Value& value)
{
    if (auto array = value.array()) {
        auto copy = std::make_shared<pf::Array>();
        copy->reserve(array->count());
        for (const pf::Value& v : *array)
            copy->add(deepCopy(v));
        return pf::Value(copy);
    }
    if (auto dictionary = value.dictionary()) {
        auto copy = std::make_shared<pf::Dictionary>();
        for (const auto& [key, v] : *dictionary)
            copy->set(key, deepCopy(v));
        return pf::Value(copy);
    }
    return value;
}

}

std::shared_ptr<KRBehaviorObject> KRBehaviorObject::copyRecord() const
{
    const pf::Class* cls = objectClass();
    auto copy = std::dynamic_pointer_cast<KRBehaviorObject>(cls ? cls->create() : nullptr);
    if (!copy) {
        // An unregistered class: the base fields are all that can be copied.
        copy = std::make_shared<KRBehaviorObject>();
        copy->setRowid(rowid());
        copy->setTimestamp(timestamp());
        return copy;
    }
    for (const pf::Class* c = cls; c; c = c->superclass())
        for (const pf::Property& p : c->properties())
            if (p.get && p.set)
                p.set(*copy, deepCopy(p.get(*this)));
    return copy;
}

std::string KRBESessionObject::genSession()
{
    std::random_device random;
    std::uint8_t bytes[16];
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    char uuid[37];
    std::snprintf(uuid, sizeof uuid, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return krMD5String(std::string_view(uuid));
}
