#include "sdk/voxly/VXDataTransferObject.h"

#include "framework/util/KRMD5String.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Text.h"
#include "platform/net/RandomBytes.h"
#include "sdk/voxly/VoxlySDK.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <cstdio>
#include <random>

namespace {

pf::DictionaryRef unarchiveDictionary(const pf::Bytes& data, std::size_t cap)
{
    auto value = pf::KeyedUnarchiver::unarchiveObjectWithData(data, pf::KeyedUnarchiver::valueClasses(), cap);
    return value ? value->dictionary() : nullptr;
}

pf::Bytes textBytes(const std::string& text)
{
    return pf::Bytes(text.begin(), text.end());
}

}

std::string VXDataTransferObject::UUID()
{
    auto bytes = pf::randomBytes(16);
    if (!bytes) {
        // Without the system's source an identifier still has to be unique
        // within this process; it is not a secret.
        static std::mt19937_64 engine(std::random_device{}());
        bytes = pf::Bytes(16);
        for (auto& b : *bytes)
            b = static_cast<std::uint8_t>(engine());
    }
    auto& b = *bytes;
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);
    std::string out;
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b[i]);
        out += hex;
    }
    return out;
}

std::string VXDataTransferObject::pasteboardNameWithID(const std::string& transferType, const std::string& identifier)
{
    return "voxlysdk_" + transferType + "_" + krMD5String(std::string_view(identifier));
}

std::string VXDataTransferObject::pasteboardName() const
{
    return pasteboardNameWithID(transferType(), objectID().value_or(""));
}

void VXDataTransferObject::removeFromPasteboardWithID(const std::string& transferType, const std::string& identifier)
{
    VoxlySDK::removePasteboardWithName(pasteboardNameWithID(transferType, identifier));
}

void VXDataTransferObject::removeFromPasteboard()
{
    removeFromPasteboardWithID(transferType(), objectID().value_or(""));
}

std::string VXDataTransferObject::openVoxlyAppSchemeWithID(const std::string& transferType, const std::string& identifier)
{
    return "voxlysdk://" + transferType + "?id=" + identifier + "&sdkversion=" + VoxlySDK::getSDKVersion();
}

std::string VXDataTransferObject::openVoxlyAppScheme() const
{
    return openVoxlyAppSchemeWithID(transferType(), objectID().value_or(""));
}

std::string VXDataTransferObject::open3rdAppSchemeWithID(const std::string& transferType, const std::string& identifier,
                                                         const std::string& appKey)
{
    return "vx" + appKey + "://" + transferType + "?id=" + identifier + "&sdkversion=" + VoxlySDK::getSDKVersion();
}

std::string VXDataTransferObject::open3rdAppSchemeWithAppKey(const std::string& appKey) const
{
    return open3rdAppSchemeWithID(transferType(), objectID().value_or(""), appKey);
}

void VXDataTransferObject::storeToDictionary(pf::Dictionary& dictionary) const
{
    dictionary.set("__class", className());
}

pf::DictionaryRef VXDataTransferObject::dictionary() const
{
    auto dictionary = pf::Dictionary::create();
    storeToDictionary(*dictionary);
    return dictionary;
}

std::optional<std::string> VXDataTransferObject::validateUserInfo()
{
    auto info = userInfo();
    if (!info)
        return std::nullopt;
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(info);
    if (!archive)
        return "userInfo中的数据必须是可序列化的";
    if (archive->size() > kMaxUserInfoArchive)
        return "userInfo中的数据序列化后必须小于10M";
    return std::nullopt;
}

std::optional<std::string> VXDataTransferObject::validateBeforeSend()
{
    if (!canBeSent())
        return std::string("不允许发送此种类型的数据 ") + className();
    if (auto message = validateUserInfo())
        return message;
    return validate();
}

std::optional<std::string> VXDataTransferObject::validateAfterReceive()
{
    if (!canBeReceived())
        return std::string("不允许接收此种类型的数据 ") + className();
    if (auto message = validateUserInfo())
        return message;
    return validate();
}

std::vector<pf::Pasteboard::Item> VXDataTransferObject::transferObjectsForPasteboard()
{
    std::vector<pf::Pasteboard::Item> items;
    if (auto archive = pf::KeyedArchiver::archivedDataWithRootObject(dictionary()))
        items.push_back({{"transferObject", std::move(*archive)}});
    if (auto info = userInfo())
        if (auto archive = pf::KeyedArchiver::archivedDataWithRootObject(info))
            items.push_back({{"userInfo", std::move(*archive)}});
    if (m_app)
        if (auto archive = pf::KeyedArchiver::archivedDataWithRootObject(VoxlySDK3rdApp::dictionaryWithApp(*m_app)))
            items.push_back({{"app", std::move(*archive)}});
    items.push_back({{"sdkVersion", textBytes(VoxlySDK::getSDKVersion())}});
    return items;
}

pf::DictionaryRef VXDataTransferObject::userInfo()
{
    if (m_userInfo || !m_sourcePasteboard)
        return m_userInfo;
    auto board = VoxlySDK::pasteboardWithName(*m_sourcePasteboard, false);
    if (!board)
        return nullptr;
    for (const auto& item : board->items())
        for (const auto& [type, data] : item)
            if (type == "userInfo")
                if (auto info = unarchiveDictionary(data, kMaxUserInfoArchive))
                    m_userInfo = info;
    return m_userInfo;
}

std::shared_ptr<VXDataTransferObject> VXDataTransferObject::readFromPasteboard(
    const std::string& transferType, const std::string& identifier, const Mapper& map,
    const std::function<std::shared_ptr<VXDataTransferObject>()>& unsupported)
{
    std::string name = pasteboardNameWithID(transferType, identifier);
    auto board = VoxlySDK::pasteboardWithName(name, false);
    if (!board)
        return nullptr;
    std::shared_ptr<VXDataTransferObject> object;
    std::shared_ptr<VoxlySDK3rdApp> app;
    std::optional<std::string> version;
    for (const auto& item : board->items()) {
        for (const auto& [type, data] : item) {
            if (type == "transferObject") {
                auto dictionary = unarchiveDictionary(data, kMaxObjectArchive);
                object = dictionary ? map(*dictionary) : nullptr;
                if (!object)
                    object = unsupported();
            } else if (type == "app") {
                if (auto dictionary = unarchiveDictionary(data, kMaxAppArchive))
                    app = VoxlySDK3rdApp::appWithDictionary(*dictionary);
            } else if (type == "sdkVersion") {
                std::string text(data.begin(), data.end());
                if (text.size() <= 64 && pf::isValidUtf8(text))
                    version = std::move(text);
            }
        }
    }
    if (!object)
        return nullptr;
    object->m_app = app;
    if (version)
        object->m_sdkVersion = *version;
    if (object->objectID() != identifier)
        return nullptr;
    object->m_sourcePasteboard = name;
    return object;
}
