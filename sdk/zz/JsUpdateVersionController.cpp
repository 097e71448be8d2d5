#include "sdk/zz/JsUpdateVersionController.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/JsUpdateTimer.h"
#include "sdk/zz/JsUpdateVersionInfo.h"
#include "sdk/zz/TOSDKUpdateVerify.h"

#include <cmath>

namespace {

const char* const kVersionKey = "latest_js_version";
const char* const kUpdatedKey = "is_js_updated";
const char* const kFrequencyKey = "update_frequency";
const char* const kTimeKey = "last_update_time";

}

pf::Value JsUpdateVersionController::latestVersion() const
{
    return pf::UserDefaults::standard().objectForKey(kVersionKey);
}

bool JsUpdateVersionController::isUpdated() const
{
    return pf::UserDefaults::standard().boolForKey(kUpdatedKey);
}

std::string JsUpdateVersionController::getVersion()
{
    return pf::UserDefaults::standard().stringForKey(kVersionKey).value_or("");
}

void JsUpdateVersionController::setVersionInfo(const std::string& version, long long frequency, bool updateTime)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    // Installing the same package again stores what is already there: the
    // file is rewritten (and flushed) only when something changes.
    bool changed = false;
    auto store = [&](const pf::Value& value, const char* key) {
        if (defaults.objectForKey(key) == value)
            return;
        defaults.setObject(value, key);
        changed = true;
    };
    store(pf::Value(version), kVersionKey);
    store(pf::Value(true), kUpdatedKey);
    store(pf::Value(frequency), kFrequencyKey);
    if (updateTime)
        store(pf::Value(JsUpdateTimer::clock()->now()), kTimeKey);
    if (changed)
        defaults.synchronize();
}

void JsUpdateVersionController::clearVersionInfo()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    defaults.removeObjectForKey(kUpdatedKey);
    defaults.removeObjectForKey(kVersionKey);
    defaults.removeObjectForKey(kFrequencyKey);
    defaults.synchronize();
}

long long JsUpdateVersionController::getFrequency() const
{
    long long frequency = pf::UserDefaults::standard().integerForKey(kFrequencyKey);
    return frequency < 0 || frequency > maxFrequency ? 0 : frequency;
}

std::optional<pf::Date> JsUpdateVersionController::getLastUpdateTime() const
{
    return pf::UserDefaults::standard().objectForKey(kTimeKey).date();
}

long long JsUpdateVersionController::getFinalFrequency() const
{
    long long frequency = getFrequency();
    return frequency == 0 ? 30 : frequency;
}

std::uint32_t JsUpdateVersionController::getTimerDelay() const
{
    std::optional<pf::Date> last = getLastUpdateTime();
    if (!last)
        return 0;
    double elapsed = (JsUpdateTimer::clock()->now().seconds - last->seconds) / 60.0;
    double frequency = static_cast<double>(getFrequency());
    if (!(elapsed <= frequency))
        return 0;
    // A clock set back would make the rest longer than the frequency.
    return static_cast<std::uint32_t>(std::trunc(std::fmin(frequency, frequency - elapsed)));
}

std::shared_ptr<JsUpdateVersionInfo> JsUpdateVersionController::getJsInfo() const
{
    if (!isUpdated())
        return nullptr;
    std::vector<std::string> files = getFinalJsPaths();
    if (files.empty())
        return nullptr;
    return std::make_shared<JsUpdateVersionInfo>(true, std::move(files), m_localJsFolderPath);
}

std::vector<std::string> JsUpdateVersionController::getFinalJsPaths() const
{
    std::optional<pf::Bytes> list = pf::readFile(m_localJsFolderPath + "/verify.json");
    if (!list)
        return {};
    CVOSDKEZJSONParser parser;
    pf::DictionaryRef entries =
        parser.objectWithString(std::string_view(reinterpret_cast<const char*>(list->data()), list->size())).dictionary();
    if (!entries)
        return {};
    std::vector<std::string> paths;
    for (const auto& entry : *entries) {
        std::optional<std::string> name = formatFileNameInJson(entry.first);
        if (!name)
            return {};
        std::string path = m_localJsFolderPath + "/" + *name;
        if (*name == "init.js")
            paths.insert(paths.begin(), std::move(path));
        else
            paths.push_back(std::move(path));
    }
    return paths;
}

std::optional<std::string> JsUpdateVersionController::formatFileNameInJson(const std::string& key)
{
    return TOSDKUpdateVerify::fileNameForKey(key);
}
