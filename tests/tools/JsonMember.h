#pragma once

#include <string>

namespace zmr::test {

// The value of `key` in a JSON text, as written there (up to the next "," or
// "}"); "(none)" when the text has no such key.
inline std::string member(const std::string& json, const std::string& key)
{
    std::size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos)
        return "(none)";
    at += key.size() + 3;
    std::size_t end = json.find_first_of(",}", json[at] == '"' ? json.find('"', at + 1) : at);
    return json.substr(at, end - at);
}

}
