#include "app/screens/shared/ZMRDisplayFields.h"

#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRNumberText.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Collections.h"

#include <cmath>
#include <algorithm>
#include <cstdio>

namespace {

// The longest way round the globe, with room: a distance stays an int.
constexpr double kFarthest = 1e9;

bool isCoordinate(double value, double limit) { return std::isfinite(value) && value != 0 && std::fabs(value) <= limit; }

void addDistance(pf::Dictionary& item, const ZMRContext* context)
{
    if (!context || (item.contains("distance") && item.contains("fmtDistance")))
        return;
    double latitude = item.get("latitude").doubleValue();
    double longitude = item.get("longitude").doubleValue();
    if (!isCoordinate(latitude, 90) || !isCoordinate(longitude, 180))
        return;
    double metres = context->distance(latitude, longitude);
    if (!(metres >= 0) || !std::isfinite(metres)) // services off, no own position yet
        return;
    metres = std::min(std::max(metres, 1.0), kFarthest);
    // Each only when missing: a field the item holds is kept.
    if (!item.contains("distance"))
        item.set("distance", metres);
    if (!item.contains("fmtDistance"))
        item.set("fmtDistance", ZMRFormatDistance(metres));
}

void addHtml(pf::Dictionary& item)
{
    if (item.contains("html"))
        return;
    pf::Value body = item.get("body");
    if (body.isString())
        item.set("html", ZMRHtmlBody(body.stringOr()));
}

}

std::string ZMRFormatDistance(double metres)
{
    char text[32];
    if (metres < 1000)
        std::snprintf(text, sizeof text, "%d米", static_cast<int>(metres));
    else
        std::snprintf(text, sizeof text, "%d公里", static_cast<int>(metres / 1000));
    return text;
}

std::string ZMRHtmlBody(std::string_view body)
{
    // The markup encoding already writes every blank as "&nbsp;".
    return htmlEncodeString(body);
}

void ZMRAddCreateTime(pf::Dictionary& item)
{
    if (item.contains("fmtCreateTime"))
        return;
    std::optional<double> time = ZMRDecimalNumber(item.get("createTime"));
    if (!time || std::fabs(*time) > ZMRLatestFormattedTime)
        return;
    item.set("fmtCreateTime", ZMRFormatString(pf::Date{*time}));
}

void ZMRAddDisplayFields(pf::Dictionary& item, const ZMRContext* context)
{
    ZMRAddCreateTime(item);
    addDistance(item, context);
    addHtml(item);
}
