#pragma once

// Reading values out of decoded JSON and objects by key path, and filling
// "{key.path}" placeholders of a text template. Pure functions, any thread.
//
// A key path is dotted; array elements are addressed as "@3" or "@last".
// Strings, numbers, null, data and dates answer nil for every key; arrays
// answer only "@" keys; dictionaries and objects answer their value for the key.

#include "platform/foundation/Value.h"

#include <functional>
#include <string>
#include <string_view>

pf::Value dataForKey(const pf::Value& receiver, std::string_view key);
pf::Value dataForKeyPath(const pf::Value& receiver, std::string_view keyPath);
// The same value without copying it: a pointer into the receiver's
// collections (valid while they stay unchanged), or to `holder` where an
// object answered a value of its own; null for nil.
const pf::Value* valueAtKeyPath(const pf::Value& receiver, std::string_view keyPath, pf::Value& holder);

// "Hi {user.nick}!" with {user: {nick: "Bo"}} gives "Hi Bo!"; a missing value
// adds nothing, and an unclosed placeholder at the end is dropped.
std::string stringByDataOutlet(std::string_view templateText, const pf::Value& data);

// The walk every "{key}" template takes: the text is copied as it is, and
// for each placeholder `append` adds what stands in its place to the result
// (the key is what lies between the braces; no nesting). An unclosed
// placeholder at the end is dropped. The fillers differ only in `append`.
std::string fillTemplateKeys(std::string_view templateText,
                             const std::function<void(std::string& out, std::string_view key)>& append);
