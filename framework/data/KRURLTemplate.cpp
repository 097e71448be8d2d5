#include "framework/data/KRURLTemplate.h"

#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/PercentEncode.h"

namespace {

std::string textOf(const pf::Value& value)
{
    if (value.isNilOrNull())
        return {};
    if (const std::string* text = value.string())
        return *text;
    return value.description();
}

}

std::string KRURLPercentEncode(std::string_view text)
{
    return pf::percentEncode(text);
}

std::string KRURLExpandTemplate(std::string_view templateText, int pageIndex, int pageSize,
                                const std::function<pf::Value(std::string_view keyPath)>& lookup)
{
    // 64-bit, so that no page setting can overflow the offset.
    long long offset = (static_cast<long long>(pageIndex) - 1) * static_cast<long long>(pageSize);
    return fillTemplateKeys(templateText, [&](std::string& out, std::string_view key) {
        if (key == "offset")
            out += std::to_string(offset);
        else if (key == "pageIndex")
            out += std::to_string(pageIndex);
        else if (key == "pageSize")
            out += std::to_string(pageSize);
        else if (lookup)
            out += KRURLPercentEncode(textOf(lookup(key)));
    });
}
