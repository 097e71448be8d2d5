#pragma once

// Cell-title templates of the data grid: "{name} ({percentage:rate})" with
// {name: "A", rate: 0.256} gives "A (25.6%)". Pure functions, any thread.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>

// The template with every "{key.path}" replaced by its value; a missing value
// adds nothing and an unclosed placeholder at the end is dropped. Inside a
// placeholder every character up to the first "}" is part of the key path.
std::string expressionOfData(std::string_view templateText, const pf::Value& data);

// One placeholder: the value at `keyPath` as text, or nullopt when missing.
// "percentage:path" writes the value × 100 as "12.3%": numbers as they are,
// text by its leading number (0 when none), JSON null as 0; collections and
// other objects have no percentage.
std::optional<std::string> expressionOfKeyPath(std::string_view keyPath, const pf::Value& data);
