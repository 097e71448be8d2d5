#pragma once

// Helpers shared by the SDK's classes.

#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>

class CommonSDK {
public:
    // The dictionary or array the text holds; nil for no text or text that is
    // not a JSON document.
    static pf::Value JSONValue(std::optional<std::string_view> text);
};
