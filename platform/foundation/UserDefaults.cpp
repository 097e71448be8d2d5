#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdio>

namespace pf {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kMaxDepth = 256;

const char* const kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(const Bytes& bytes)
{
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += kBase64[v >> 18], out += kBase64[(v >> 12) & 63], out += kBase64[(v >> 6) & 63], out += kBase64[v & 63];
    }
    if (i + 1 == bytes.size()) {
        unsigned v = bytes[i] << 16;
        out += kBase64[v >> 18], out += kBase64[(v >> 12) & 63], out += "==";
    } else if (i + 2 == bytes.size()) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out += kBase64[v >> 18], out += kBase64[(v >> 12) & 63], out += kBase64[(v >> 6) & 63], out += '=';
    }
    return out;
}

std::optional<Bytes> unbase64(const std::string& text)
{
    Bytes out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=')
            break;
        const char* p = std::strchr(kBase64, c);
        if (!p || !c)
            return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(p - kBase64);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>((bits >> count) & 0xFF));
        }
    }
    return out;
}

Json toJson(const Value& v, int depth)
{
    if (depth > kMaxDepth)
        return nullptr;
    switch (v.type()) {
    case Value::Type::Nil:
    case Value::Type::Null: return nullptr;
    case Value::Type::String: return *v.string();
    case Value::Type::Number: {
        const Number n = v.number()->withoutDecimal(); // the file's numbers are integers and doubles
        if (n.type == NumberType::Bool)
            return n.integer != 0;
        if (n.isReal())
            return std::isfinite(n.real) ? Json(n.real) : Json(nullptr);
        if (n.type == NumberType::UnsignedLongLong)
            return static_cast<unsigned long long>(n.integer);
        return n.integer;
    }
    case Value::Type::Date: return Json{{"$date", v.date()->seconds}};
    case Value::Type::Data: return Json{{"$data", base64(*v.data())}};
    case Value::Type::Array: {
        Json out = Json::array();
        for (const Value& e : *v.array())
            out.push_back(toJson(e, depth + 1));
        return out;
    }
    case Value::Type::Dictionary: {
        Json out = Json::object();
        for (const auto& [key, e] : *v.dictionary())
            out[key] = toJson(e, depth + 1);
        return out;
    }
    case Value::Type::Object: return v.object()->description();
    }
    return nullptr;
}

Value fromJson(const Json& j)
{
    switch (j.type()) {
    case Json::value_t::null: return Value::null();
    case Json::value_t::boolean: return Value::boolean(j.get<bool>());
    case Json::value_t::number_integer: return Value(j.get<long long>());
    case Json::value_t::number_unsigned: {
        auto u = j.get<unsigned long long>();
        return u > static_cast<unsigned long long>(INT64_MAX) ? Value::unsignedNumber(u) : Value(static_cast<long long>(u));
    }
    case Json::value_t::number_float: return Value(j.get<double>());
    case Json::value_t::string: return Value(j.get<std::string>());
    case Json::value_t::array: {
        auto out = Array::create();
        for (const Json& e : j)
            out->add(fromJson(e));
        return Value(out);
    }
    case Json::value_t::object: {
        if (j.size() == 1 && j.contains("$date") && j["$date"].is_number())
            return Value(Date{j["$date"].get<double>()});
        if (j.size() == 1 && j.contains("$data") && j["$data"].is_string())
            if (auto bytes = unbase64(j["$data"].get<std::string>()))
                return Value::data(std::move(*bytes));
        auto out = Dictionary::create();
        for (auto it = j.begin(); it != j.end(); ++it)
            out->set(it.key(), fromJson(it.value()));
        return Value(out);
    }
    default: return {};
    }
}

std::mutex g_standardMutex; // guards g_standard's creation and reset
std::unique_ptr<UserDefaults> g_standard;
// g_standard once made: an answer reads the store a dozen times, and each
// look need not take a lock for a pointer that is set once per process.
std::atomic<UserDefaults*> g_standardMade{nullptr};

}

UserDefaults& UserDefaults::standard()
{
    if (UserDefaults* made = g_standardMade.load(std::memory_order_acquire))
        return *made;
    std::lock_guard lock(g_standardMutex);
    if (!g_standard) {
        g_standard = std::make_unique<UserDefaults>(homeDirectory() + "/Library/Preferences/defaults.json");
        g_standardMade.store(g_standard.get(), std::memory_order_release);
    }
    return *g_standard;
}

void UserDefaults::resetStandard()
{
    std::lock_guard lock(g_standardMutex);
    g_standardMade.store(nullptr, std::memory_order_release);
    g_standard.reset();
}

UserDefaults::UserDefaults(std::string path) : m_path(std::move(path)), m_values(Dictionary::create()) { load(); }

void UserDefaults::load()
{
    auto bytes = readFile(m_path);
    if (!bytes)
        return;
    // The parser's own depth limit is far above ours; refuse hostile nesting first.
    int depth = 0;
    bool inString = false, escaped = false, tooDeep = false;
    for (std::uint8_t c : *bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{')
            tooDeep = tooDeep || ++depth > kMaxDepth;
        else if (c == ']' || c == '}')
            --depth;
    }
    Json parsed = tooDeep ? Json(Json::value_t::discarded) : Json::parse(bytes->begin(), bytes->end(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        std::string aside = m_path + ".corrupt";
        std::rename(m_path.c_str(), aside.c_str());
        log("UserDefaults: %s could not be read; moved to %s and starting empty", m_path.c_str(), aside.c_str());
        return;
    }
    m_values = fromJson(parsed).dictionary();
}

Value UserDefaults::objectForKey(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    return m_values->get(key);
}

void UserDefaults::setObject(const Value& value, const std::string& key)
{
    std::lock_guard lock(m_mutex);
    m_values->set(key, value);
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const
{
    Value v = objectForKey(key);
    if (v.isString() || v.isNumber())
        return v.stringValue();
    return std::nullopt;
}

bool UserDefaults::synchronize()
{
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        text = toJson(Value(m_values), 0).dump(1, '\t');
    }
    if (auto error = writeFileAtomically(m_path, text)) {
        log("UserDefaults: %s", error->description.c_str());
        return false;
    }
    return true;
}

}
