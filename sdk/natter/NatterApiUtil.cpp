#include "sdk/natter/NatterApiUtil.h"

#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"

std::optional<pf::Value> NatterApiUtil::propertyListFromData(const pf::Bytes& data, std::size_t maxSize)
{
    if (data.empty() || data.size() > maxSize)
        return std::nullopt;
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    if (pf::isBinaryPropertyList(bytes)) {
        auto value = pf::parseBinaryPropertyList(bytes);
        return value ? std::optional<pf::Value>(*value) : std::nullopt;
    }
    auto value = pf::parsePropertyList(bytes);
    return value ? std::optional<pf::Value>(*value) : std::nullopt;
}

std::optional<pf::Bytes> NatterApiUtil::dataFromPropertyList(const pf::Value& value)
{
    auto data = pf::writeBinaryPropertyList(value);
    return data ? std::optional<pf::Bytes>(*data) : std::nullopt;
}

bool NatterApiUtil::is2xScreen()
{
    return pf::DeviceProfile::current().scale == 2.0;
}

bool NatterApiUtil::isAppOpenUrl(const std::string& url, const std::string& appID)
{
    return !appID.empty() && url.rfind(getAppUrl(appID), 0) == 0;
}

bool NatterApiUtil::isAppInstalled(const std::string& url)
{
    auto parsed = pf::URL::create(url);
    return parsed && pf::Application::shared().canOpenURL(*parsed);
}

bool NatterApiUtil::launchApp(const std::string& url)
{
    auto parsed = pf::URL::create(url);
    return parsed && pf::Application::shared().openURL(*parsed);
}

std::string NatterApiUtil::getSDKVersion()
{
    if (auto board = pf::Pasteboard::withName("natter_sdk_infomation", false))
        if (auto data = board->dataForPasteboardType("content"))
            if (auto value = propertyListFromData(*data, 64 * 1024); value && value->dictionary())
                if (auto version = value->dictionary()->string("version"))
                    return *version;
    return isNTAppSupportApi() ? "1.0" : "";
}
