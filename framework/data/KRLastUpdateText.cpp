#include "framework/data/KRLastUpdateText.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

std::tm localFields(pf::Date date)
{
    std::time_t seconds = static_cast<std::time_t>(std::floor(date.seconds));
    std::tm fields{};
    localtime_r(&seconds, &fields);
    return fields;
}

std::string format(const char* pattern, const std::tm& fields)
{
    char text[96];
    std::strftime(text, sizeof text, pattern, &fields);
    return text;
}

}

std::string KRLastUpdateText(pf::Date date, pf::Date now, KRSameDayForm sameDay)
{
    std::tm at = localFields(date);
    std::tm today = localFields(now);
    if (at.tm_year != today.tm_year)
        return format("最后更新: %Y年%m月%d日 %H:%M", at);
    if (at.tm_mon != today.tm_mon)
        return format("最后更新: %m月%d日 %H:%M", at);
    if (at.tm_mday == today.tm_mday) {
        if (sameDay == KRSameDayForm::Clock)
            return format("最后更新: %H:%M:%S", at);
        double seconds = now.seconds - date.seconds;
        if (seconds < 60)
            return "最后更新: 刚刚";
        if (seconds < 3600)
            return "最后更新: " + std::to_string(static_cast<int>(seconds) / 60) + "分钟前";
        return format("最后更新: %H:%M", at);
    }
    if (at.tm_mday + 1 == today.tm_mday)
        return format("最后更新: 昨天 %H:%M", at);
    if (at.tm_mday - 1 == today.tm_mday)
        return format("最后更新: 明天 %H:%M", at);
    return format("最后更新: %m月%d日 %H:%M", at);
}
