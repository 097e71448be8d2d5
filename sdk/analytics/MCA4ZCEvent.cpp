#include "sdk/analytics/MCA4ZCEvent.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/MCA4ZCClock.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/MCA4ZCReachability.h"
#include "sdk/analytics/MCA4ZCVersion.h"
#include "sdk/analytics/TXJKSerializer.h"

MCA4ZCEvent::MCA4ZCEvent() : ts(MCA4ZCClock::now()) {}

void MCA4ZCEvent::encode(pf::Dictionary&) const {}

std::string MCA4ZCEvent::toJsonString() const
{
    auto out = pf::Dictionary::create();
    auto helper = MCA4ZCHelper::getInstance();
    const MCA4ZCEnv& env = helper->getEnv();
    out->set("ts", pf::Value(static_cast<long long>(ts)));
    out->set("si", pf::Value(static_cast<long long>(sid)));
    out->set("mc", MCA4ZCHelper::getMacAddress());
    out->set("ui", env.deviceid);
    if (env.ifa)
        out->set("ifa", *env.ifa);
    if (env.ifv)
        out->set("ifv", *env.ifv);
    out->set("et", pf::Value(static_cast<long long>(getType())));
    if (auto key = MCA4ZCConfig::getInstance().appkey())
        out->set("ky", *key);
    encode(*out);
    // Argument values JSON has no form for (data, dates) go as their text
    // rather than losing the event.
    auto asText = [](const pf::Value& value) { return pf::Value(value.description()); };
    return JSONStringWithOptions(pf::Value(out), 0, nullptr, asText).value_or("{}");
}

void MCA4ZCSessionEnv::encode(pf::Dictionary& out) const
{
    auto helper = MCA4ZCHelper::getInstance();
    const MCA4ZCEnv& env = helper->getEnv();
    auto ev = pf::Dictionary::create();
    ev->set("tz", env.timezone);
    ev->set("ov", env.os_version);
    ev->set("av", env.app_version);
    ev->set("os", pf::Value(2LL));
    ev->set("sv", kMCA4ZCSDKVersion);
    ev->set("lg", env.language);
    ev->set("sr", env.resolution);
    if (env.mccmnc)
        ev->set("op", *env.mccmnc);
    ev->set("md", env.devicename);
    ev->set("mf", env.modulename);
    ev->set("ch", MCA4ZCConfig::getInstance().channel());
    auto reachability = MCA4ZCReachability::reachabilityForInternetConnection();
    if (reachability->isReachableViaWiFi())
        ev->set("cn", "WIFI");
    else if (reachability->isReachableViaWWAN())
        ev->set("cn", "CellNetwork");
    out.set("ev", pf::Value(ev));
    if (auto user = helper->getUser())
        out.set("ut", pf::Value(static_cast<long long>(user->userType)));
    if (auto holder = MCA4ZCDataConfigHolder::getInstance())
        holder->encode(out);
    else
        out.set("cfg", pf::Value(pf::Dictionary::create({{"1", pf::Value(pf::Dictionary::create())},
                                                         {"2", pf::Value(pf::Dictionary::create())}})));
}

void MCA4ZCCustomEvent::encode(pf::Dictionary& out) const
{
    out.set("ei", eventID);
    if (args)
        out.set("ar", pf::Value(args));
    if (kvs)
        out.set("kv", pf::Value(kvs));
    if (duration)
        out.set("du", pf::Value(static_cast<long long>(duration)));
}

void MCA4ZCAdditionEvent::encode(pf::Dictionary& out) const
{
    if (auto zz = MCA4ZCConfig::getInstance().zz())
        out.set("zz", *zz);
}
