#include "sdk/analytics/MCA4ZCDataConfig.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/TXJKSerializer.h"

#include <cmath>

bool MCA4ZCDataConfig::decode(const pf::Dictionary& entry)
{
    pf::Value c = entry.get("c");
    pf::Value v = entry.get("v");
    pf::Value m = entry.get("m");
    if (!c.isDictionary() || !v.isNumber() || !m.isString())
        return false;
    auto text = JSONString(c);
    if (!text)
        return false;
    const pf::Number number = v.number()->withoutDecimal();
    // Versions are unsigned 32-bit: anything outside (negative, huge, not a
    // number) is not a version this store could keep faithfully.
    double asReal = number.isReal() ? number.real : static_cast<double>(number.integer);
    if (number.type == pf::NumberType::UnsignedLongLong || !(asReal >= 0 && asReal <= 4294967295.0))
        return false;
    md5 = *m.string();
    content = std::move(*text);
    version = static_cast<std::uint32_t>(number.isReal() ? std::floor(number.real) : number.integer);
    return true;
}

void MCA4ZCDataConfig::encodeWithNoContent(pf::Dictionary& out) const
{
    out.set("v", pf::Value(static_cast<long long>(version)));
}
