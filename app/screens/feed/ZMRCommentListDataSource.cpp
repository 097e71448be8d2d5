#include "app/screens/feed/ZMRCommentListDataSource.h"

#include "app/screens/shared/ZMRDisplayFields.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Collections.h"

#include <cmath>

namespace {

// A uid or nickname as text: strings as they are, whole numbers as digits,
// anything else as nothing (a container's listing is no name).
std::string nameText(const pf::Value& value)
{
    if (const std::string* text = value.string())
        return *text;
    if (const pf::Number* number = value.number()) {
        if (number->isInteger())
            return std::to_string(number->asLongLong());
        double real = number->asDouble();
        if (std::isfinite(real) && std::trunc(real) == real && std::fabs(real) < 9e15)
            return std::to_string(static_cast<long long>(real));
        return value.description();
    }
    return {};
}

// Encoded for markup; NUL characters are dropped, since the parser refuses
// a whole document that holds one and the row would show nothing.
std::string encoded(std::string text)
{
    std::erase(text, '\0');
    return htmlEncodeString(text);
}

}

std::string ZMRCommentHtml(const pf::Dictionary& comment)
{
    pf::Value body = comment.get("body");
    // The encoding writes every blank as "&nbsp;" already.
    std::string html = encoded(body.isString() ? *body.string() : std::string());
    pf::Value reply = comment.get("reply");
    if (!reply.isDictionary())
        return html;
    std::string uid = encoded(nameText(dataForKeyPath(reply, "user.uid")));
    std::string nick = encoded(nameText(dataForKeyPath(reply, "user.nick")));
    return "回复:&nbsp;<a action-name='user' uid='" + uid + "'>" + nick + "</a><br/>" + html;
}

void ZMRCommentListDataSource::loadResultsData(const pf::Value& results)
{
    std::size_t listed = count();
    ZMRPageDataSource::loadResultsData(results);
    auto objects = dataObjects();
    for (std::size_t i = 0; i < objects->count(); ++i) {
        pf::DictionaryRef comment = objects->at(i).dictionary();
        if (!comment)
            continue;
        if (i >= listed)
            comment->remove("html");
        ZMRAddCreateTime(*comment);
        if (!comment->contains("html"))
            comment->set("html", ZMRCommentHtml(*comment));
    }
}
