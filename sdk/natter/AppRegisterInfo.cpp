#include "sdk/natter/AppRegisterInfo.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"

#include <set>

namespace {

using Text = std::optional<std::string> AppRegisterInfo::*;
using Flag = bool AppRegisterInfo::*;
using Count = std::uint64_t AppRegisterInfo::*;

// One row per archive key, in the order Natter writes them.
struct Field {
    const char* key;
    Text text = nullptr;
    Flag flag = nullptr;
    Count count = nullptr;
};

const Field kFields[] = {
    { "added", nullptr, &AppRegisterInfo::appAddedByUser },
    { "appID", &AppRegisterInfo::appID },
    { "appIdentifier", &AppRegisterInfo::appIdentifier },
    { "appName", &AppRegisterInfo::appName },
    { "appName4ZhTw", &AppRegisterInfo::appName4ZhTw },
    { "appName4EnUs", &AppRegisterInfo::appName4EnUs },
    { "description", &AppRegisterInfo::appDescription },
    { "description4EnUs", &AppRegisterInfo::description4EnUs },
    { "description4ZhTw", &AppRegisterInfo::description4ZhTw },
    { "appurl", &AppRegisterInfo::appInstallUrl },
    { "needUpdateInfo", nullptr, &AppRegisterInfo::needUpdateInfo },
    { "needUpdateIcon", nullptr, &AppRegisterInfo::needUpdateIcon },
    { "needUpdateWaterMark", nullptr, &AppRegisterInfo::needUpdateWaterMark },
    { "appInfoVer", nullptr, nullptr, &AppRegisterInfo::appInfoVer },
    { "appiconurl", &AppRegisterInfo::appIconUrl },
    { "appwatermarkurl", &AppRegisterInfo::appWaterMarkUrl },
    { "lastUpdateInfoTime", nullptr, nullptr, &AppRegisterInfo::lastUpdateInfoTime },
    { "lastUpdateWatermarkTime", nullptr, nullptr, &AppRegisterInfo::lastUpdateWatermarkTime },
    { "lastUpdateIconTime", nullptr, nullptr, &AppRegisterInfo::lastUpdateIconTime },
};

std::optional<std::uint64_t> unsignedField(const pf::Value& value)
{
    if (!value.isNumber())
        return std::nullopt;
    const pf::Number number = value.number()->withoutDecimal();
    if (number.isReal() || number.type == pf::NumberType::Bool)
        return std::nullopt;
    if (number.type == pf::NumberType::UnsignedLongLong)
        return static_cast<std::uint64_t>(number.integer);
    long long n = number.asLongLong();
    return n < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(n));
}

std::optional<bool> flagField(const pf::Value& value)
{
    const pf::Number* number = value.number();
    if (!number || !number->isInteger())
        return std::nullopt;
    return number->asLongLong() != 0;
}

}

std::string AppRegisterInfo::description() const
{
    return "{ name:" + appName.value_or("(null)") + " appid:" + appID.value_or("(null)") + "}";
}

pf::DictionaryRef AppRegisterInfo::encode() const
{
    auto fields = pf::Dictionary::create({});
    for (const Field& field : kFields) {
        if (field.text && this->*field.text)
            fields->set(field.key, *(this->*field.text));
        else if (field.flag)
            fields->set(field.key, pf::Value::boolean(this->*field.flag));
        else if (field.count)
            fields->set(field.key, pf::Value::unsignedNumber(this->*field.count));
    }
    return fields;
}

AppRegisterInfo AppRegisterInfo::decode(const pf::Dictionary& fields)
{
    AppRegisterInfo info;
    for (const Field& field : kFields) {
        pf::Value value = fields.get(field.key);
        if (field.text)
            info.*field.text = value.isString() ? value.stringValue() : std::nullopt;
        else if (field.flag)
            info.*field.flag = flagField(value).value_or(false);
        else if (field.count)
            info.*field.count = unsignedField(value).value_or(0);
    }
    return info;
}

std::optional<pf::Bytes> AppRegisterInfo::archivedData() const
{
    return pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(encode()));
}

std::optional<AppRegisterInfo> AppRegisterInfo::unarchive(const pf::Bytes& data)
{
    static const std::set<std::string> allowed = { "Dictionary", "String", "Number" };
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(data, allowed);
    auto fields = root ? root->dictionary() : nullptr;
    if (!fields)
        return std::nullopt;
    return decode(*fields);
}
