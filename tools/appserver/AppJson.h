#pragma once

// Reading form items and writing JSON, shared by the application server's
// request handlers.

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace zmr {

// A decoded form body; several requests carry some items twice.
using Form = std::multimap<std::string, std::string>;

// The first value of a key.
std::optional<std::string> item(const Form& form, const std::string& key);
// A whole decimal integer, nothing when absent, empty or not a number.
std::optional<long long> integerItem(const Form& form, const std::string& key);
// A finite number, 0 when absent or not a number.
double realItem(const Form& form, const std::string& key);

std::string quote(const std::string& text);
std::string number(double value);
// Counts a Chinese character as two, as the nickname rule does.
std::size_t nickWidth(const std::string& nick);

// Members of one JSON object, in order.
class JsonObject {
public:
    JsonObject& add(const std::string& key, const std::string& json);
    JsonObject& text(const std::string& key, const std::string& value) { return add(key, quote(value)); }
    JsonObject& integer(const std::string& key, long long value) { return add(key, std::to_string(value)); }
    std::string json() const { return "{" + m_members + "}"; }

private:
    std::string m_members;
};

}
