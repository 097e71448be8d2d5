#include "app/screens/prizes/ZMRPrizeSearchDataSource.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRNumberText.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

void addState(pf::Dictionary& prize, double now)
{
    if (prize.contains("status"))
        return;
    auto saleTime = ZMRDecimalNumber(prize.get("saleTime"));
    auto endTime = ZMRDecimalNumber(prize.get("endTime"));
    if (!saleTime || !endTime)
        return;
    if (*saleTime <= now && now <= *endTime) {
        prize.set("status", "兑奖中");
        prize.set("canBuy", pf::Value::boolean(true));
    } else {
        prize.set("status", now < *saleTime ? "未开始" : "已结束");
    }
}

void addProgress(pf::Dictionary& prize)
{
    if (prize.contains("process")) {
        if (!std::isfinite(prize.get("process").doubleValue()))
            prize.set("process", 0.0);
        return;
    }
    long long issued = std::max(0, ZMRClampInt32(prize.get("publishCount").doubleValue()));
    long long left = ZMRClampInt32(prize.get("count").doubleValue());
    long long gone = std::clamp(issued - left, 0LL, issued);
    prize.set("process", issued > 0 ? static_cast<double>(gone) / static_cast<double>(issued) : 0.0);
    char title[32];
    std::snprintf(title, sizeof title, "%lld/%lld", gone, issued);
    prize.set("processTitle", title);
}

}

double ZMRPrizeSearchDataSource::nowTimestamp() const
{
    return m_timestamp + (pf::Date::now().seconds - m_localTime);
}

void ZMRPrizeSearchDataSource::krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp,
                                                                const pf::Protocol* taskType)
{
    m_cachedAt = timestamp.seconds;
    ZMRPageDataSource::krDownlinkTaskDidLoadedFromCache(data, timestamp, taskType);
    m_cachedAt.reset();
}

void ZMRPrizeSearchDataSource::loadResultsData(const pf::Value& results)
{
    ZMRPageDataSource::loadResultsData(results);
    m_localTime = m_cachedAt && std::isfinite(*m_cachedAt) ? *m_cachedAt : pf::Date::now().seconds;
    std::optional<double> serverTime = m_timestampKey ? ZMRDecimalNumber(dataForKeyPath(results, *m_timestampKey)) : std::nullopt;
    m_timestamp = serverTime.value_or(m_localTime);
    for (const pf::Value& item : *dataObjects()) {
        if (pf::DictionaryRef prize = item.dictionary()) {
            addState(*prize, m_timestamp);
            addProgress(*prize);
        }
    }
}
