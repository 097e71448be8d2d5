#include "sdk/zz/CommonSDK.h"

#include "sdk/zz/CVOSDKEZJSONParser.h"

pf::Value CommonSDK::JSONValue(std::optional<std::string_view> text)
{
    if (!text)
        return {};
    CVOSDKEZJSONParser parser;
    return parser.objectWithString(text);
}
