#include "framework/ui/GridExpression.h"

#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Value.h"

#include <charconv>

namespace {

constexpr std::string_view kPercentage = "percentage:";

}

std::string expressionOfData(std::string_view templateText, const pf::Value& data)
{
    std::string result;
    result.reserve(30);
    std::string key;
    bool inside = false;
    for (char c : templateText) {
        if (!inside) {
            if (c == '{') {
                key.clear();
                inside = true;
            } else {
                result += c;
            }
        } else if (c == '}') {
            inside = false;
            if (auto value = expressionOfKeyPath(key, data))
                result += *value;
        } else {
            key += c;
        }
    }
    return result;
}

std::optional<std::string> expressionOfKeyPath(std::string_view keyPath, const pf::Value& data)
{
    if (keyPath.starts_with(kPercentage)) {
        pf::Value value = dataForKeyPath(data, keyPath.substr(kPercentage.size()));
        if (!(value.isNumber() || value.isString() || value.isNull()))
            return std::nullopt;
        // to_chars writes the C locale's digits whatever the process locale;
        // the largest doubles take 309 digits before the point.
        char buffer[400];
        auto end = std::to_chars(buffer, buffer + sizeof buffer - 1, value.doubleValue() * 100,
                                 std::chars_format::fixed, 1).ptr;
        *end++ = '%';
        return std::string(buffer, end);
    }
    pf::Value value = dataForKeyPath(data, keyPath);
    if (value.isNil())
        return std::nullopt;
    return value.description();
}
