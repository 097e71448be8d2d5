#pragma once

// The paged server list of prizes, judged by the server's clock rather than
// the phone's. Numbers may come as numeric text (ZMRNumberText.h's decimal
// rule). Each answer's server time (the number at `timestampKey`;
// without one, the phone's time) is kept as `timestamp` together with the
// phone's time it was taken in (a cached answer: the time it was cached),
// so nowTimestamp() runs on from it with the phone's clock.
//
// Every prize (a dictionary) gains, unless it arrived with them:
//   - "status": "兑奖中" (on sale, with "canBuy" true) when "saleTime" <=
//     timestamp <= "endTime", "未开始" before, "已结束" after; only when both
//     times are numbers, else no status;
//   - "process", the share of the issued pieces ("publishCount") that are
//     gone (issued less "count" left, clamped to [0, issued]; 0 when none
//     were issued), always finite in [0, 1], and "processTitle" "%d/%d"
//     with the pieces gone and issued.
// An arriving "process" that is no finite number is read as 0. The state of
// a prize already listed is not judged again by a later page's clock.
// Main queue only.

#include "app/screens/shared/ZMRPageDataSource.h"

#include <optional>
#include <string>

class ZMRPrizeSearchDataSource : public ZMRPageDataSource {
public:
    const std::optional<std::string>& timestampKey() const { return m_timestampKey; }
    void setTimestampKey(std::optional<std::string> key) { m_timestampKey = std::move(key); }
    // Seconds since 1970, by the server's clock, of the last answer.
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }
    // The server's clock now.
    double nowTimestamp() const;

    void loadResultsData(const pf::Value& results) override;
    void krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol* taskType) override;

private:
    std::optional<std::string> m_timestampKey;
    double m_timestamp = 0;
    double m_localTime = 0; // the phone's time when m_timestamp was taken in
    std::optional<double> m_cachedAt; // while a cached answer is taken in
};
