#include "app/services/ZMRMessage.h"

#include "app/services/ZMRAnswer.h"
#include "platform/net/HttpConnection.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

struct CodeMessage {
    long long code;
    const char* message;
};

constexpr CodeMessage messages[] = {
    {257, "登录名或密码错误"},
    {258, "登录超时，请重新登录"},
    {264, "登录名已存在，请尝试其他登录名"},
    {265, "昵称已存在，请尝试其他昵称"},
    {13572, "奖品已下架"},
    {13573, "奖品数量不足"},
    {13574, "本期奖品已结束"},
    {13575, "奖品兑换还未开始"},
    {14339, "积分不足"},
    {15361, "密码长度不小于6位"},
    {15362, "登录凭证验证失败，请重新登录"},
    {15363, "重复发布"},
    {15364, "昵称应在4~24个字符,一个汉字占2个字符"},
    {15365, "昵称已存在，请尝试其他昵称"},
    {15366, "已兑换过此奖品"},
};

constexpr const char* notAnswered = "网络连接失败，请稍后重试";

bool isHttpLayerDomain(const std::string& domain)
{
    return domain == pf::httpConnectionErrorDomain || domain == "KRHttpService" || domain == "KRHttpTask";
}

std::tm localParts(pf::Date date)
{
    std::time_t seconds = static_cast<std::time_t>(std::floor(date.seconds));
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return parts;
}

std::string format(const std::tm& parts, const char* pattern)
{
    char text[64];
    std::size_t length = std::strftime(text, sizeof text, pattern, &parts);
    return std::string(text, length);
}

}

std::string ZMRMessage(const pf::Error& error)
{
    // The HTTP layer's text is English and technical; it went to the log.
    // An upload's failure reaches an alert with it unchanged.
    if (isHttpLayerDomain(error.domain))
        return notAnswered;
    for (const CodeMessage& row : messages) {
        if (row.code == error.code)
            return row.message;
    }
    // The transport's own text is for the log (the API service wrote it
    // there); the user is told what it means for them.
    if (error.code == ZMRResultUnknownCode)
        return "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交";
    if (error.code == ZMRNotAnsweredCode)
        return notAnswered;
    if (auto status = ZMRServerFailedStatus(error.code)) {
        if (*status == 0)
            return "服务器出错，请稍后重试";
        return "服务器出错（" + std::to_string(*status) + "），请稍后重试";
    }
    if (error.description.empty())
        return "操作失败，错误码：" + std::to_string(error.code);
    return error.description;
}

std::string ZMRFormatString(pf::Date date, pf::Date now)
{
    auto inRange = [](pf::Date d) { return std::fabs(d.seconds) <= ZMRLatestFormattedTime; };
    if (!inRange(date) || !inRange(now))
        return {};
    if (date.seconds > now.seconds)
        return "1分钟前";
    std::tm given = localParts(date);
    std::tm current = localParts(now);
    if (given.tm_year != current.tm_year)
        return format(given, "%Y-%m-%d %H:%M");
    if (given.tm_mon != current.tm_mon || given.tm_mday != current.tm_mday || given.tm_hour != current.tm_hour)
        return format(given, "%m-%d %H:%M");
    if (given.tm_min != current.tm_min) {
        char text[32];
        std::snprintf(text, sizeof text, "%d分钟前", current.tm_min - given.tm_min);
        return text;
    }
    return "1分钟前";
}

std::string ZMRFormatString(pf::Date date)
{
    return ZMRFormatString(date, pf::Date::now());
}
