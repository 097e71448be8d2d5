#include "tools/appserver/AppProviders.h"

#include "platform/foundation/PercentEncode.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

namespace zmr {

namespace {

constexpr std::size_t kMaxAnswer = 16 * 1024;
constexpr int kMaxDepth = 16;

// Reads a provider's JSON answer far enough to take one member of the top
// object: a string (its escapes decoded) or an integer (as written). Nothing
// for text that is not JSON, so a broken answer never names a person.
class MemberReader {
public:
    explicit MemberReader(std::string_view json) : m_text(json) {}

    std::optional<std::string> member(std::string_view key)
    {
        std::optional<std::string> found;
        space();
        if (!take('{'))
            return std::nullopt;
        space();
        if (take('}'))
            return end() ? found : std::nullopt;
        do {
            space();
            auto name = string();
            space();
            if (!name || !take(':'))
                return std::nullopt;
            space();
            if (*name == key && !found) {
                found = string(); // each reader leaves the place as it was when it fails
                if (!found)
                    found = integer();
                if (!found && !value(0))
                    return std::nullopt;
            } else if (!value(0)) {
                return std::nullopt;
            }
            space();
        } while (take(','));
        return take('}') && end() ? found : std::nullopt;
    }

private:
    bool end()
    {
        space();
        return m_at == m_text.size();
    }
    bool take(char c)
    {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    void space()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    std::optional<std::string> integer()
    {
        std::size_t start = m_at;
        take('-');
        std::size_t digits = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
            ++m_at;
        bool whole = m_at > digits && (m_at == m_text.size() || std::string_view(".eE").find(m_text[m_at]) == std::string_view::npos);
        if (!whole) {
            m_at = start;
            return std::nullopt;
        }
        return std::string(m_text.substr(start, m_at - start));
    }
    std::optional<std::string> string()
    {
        std::size_t start = m_at;
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            unsigned char c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"')
                return out;
            if (c < 0x20)
                break;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size())
                break;
            char escape = m_text[m_at++];
            const std::string_view plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
            if (auto at = plain.find(escape); at != std::string_view::npos) {
                out += meant[at];
            } else if (escape == 'u' && m_at + 4 <= m_text.size()) {
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    char h = m_text[m_at++];
                    int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                    if (digit < 0) {
                        m_at = start;
                        return std::nullopt;
                    }
                    code = code * 16 + static_cast<unsigned>(digit);
                }
                if (code >= 0xD800 && code < 0xE000)
                    break; // an id is no place for a surrogate pair
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
            } else {
                break;
            }
        }
        m_at = start;
        return std::nullopt;
    }
    // Steps over any value, as deep as kMaxDepth.
    bool value(int depth)
    {
        if (depth > kMaxDepth || m_at >= m_text.size())
            return false;
        char c = m_text[m_at];
        if (c == '"')
            return string().has_value();
        if (c == '{' || c == '[') {
            char close = c == '{' ? '}' : ']';
            ++m_at;
            space();
            if (take(close))
                return true;
            do {
                space();
                if (c == '{') {
                    space();
                    if (!string())
                        return false;
                    space();
                    if (!take(':'))
                        return false;
                    space();
                }
                if (!value(depth + 1))
                    return false;
                space();
            } while (take(','));
            return take(close);
        }
        for (std::string_view word : {"true", "false", "null"}) {
            if (m_text.substr(m_at, word.size()) == word) {
                m_at += word.size();
                return true;
            }
        }
        std::size_t start = m_at;
        while (m_at < m_text.size() && std::string_view("+-.0123456789eE").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        return m_at > start;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

struct Exchange {
    bool answered = false;
    int status = 0;
    std::string body;
};

// One request to `origin`, bounded in time (a watchdog ends the connection
// when the whole exchange outlasts connect and read time together) and in
// the size of the answer.
Exchange ask(const AppProviderSettings& settings, const std::string& origin, httplib::Request request)
{
    Exchange out;
    httplib::Client client(origin);
    if (!client.is_valid())
        return out;
    client.set_connection_timeout(settings.connectSeconds, 0);
    client.set_read_timeout(settings.readSeconds, 0);
    client.set_write_timeout(settings.readSeconds, 0);
    if (!settings.caFile.empty())
        client.set_ca_cert_path(settings.caFile);
    client.enable_server_certificate_verification(true);
    bool tooLarge = false;
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t, std::uint64_t) {
        if (out.body.size() + length > kMaxAnswer) {
            tooLarge = true;
            return false;
        }
        out.body.append(data, length);
        return true;
    };
    std::mutex mutex; // guards finished
    std::condition_variable ended;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        auto limit = std::chrono::seconds(settings.connectSeconds + settings.readSeconds);
        if (!ended.wait_for(lock, limit, [&] { return finished; }))
            client.stop();
    });
    httplib::Result result = client.send(request);
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    ended.notify_all();
    watchdog.join();
    if (!result || tooLarge)
        return out;
    out.answered = true;
    out.status = result->status;
    return out;
}

}

const std::string& AppProviders::address(const std::string& kind) const
{
    static const std::string none;
    if (kind == "zz")
        return m_settings.zz;
    if (kind == "voxly")
        return m_settings.voxly;
    return none;
}

AppProviders::Lookup AppProviders::personFor(const std::string& kind, const std::string& token) const
{
    Lookup lookup;
    const std::string& origin = address(kind);
    if (origin.empty())
        return lookup;
    httplib::Request request;
    std::string member;
    if (kind == "zz") {
        request.method = "GET";
        request.path = "/oauth2.0/me?access_token=" + pf::percentEncode(token);
        member = "openid";
    } else {
        request.method = "POST";
        request.path = "/oauth2/get_token_info";
        request.body = "access_token=" + pf::percentEncode(token);
        request.set_header("Content-Type", "application/x-www-form-urlencoded");
        member = "uid";
    }
    request.set_header("Accept", "application/json");
    Exchange answer = ask(m_settings, origin, std::move(request));
    if (!answer.answered || answer.status >= 500) {
        lookup.outcome = Lookup::Outcome::Unreachable;
        return lookup;
    }
    // Some answers come wrapped as a script call: "callback( {…} );".
    std::string_view body = answer.body;
    if (auto open = body.find('{'), close = body.rfind('}'); open != std::string_view::npos && close != std::string_view::npos && open < close)
        body = body.substr(open, close - open + 1);
    auto person = answer.status == 200 ? MemberReader(body).member(member) : std::nullopt;
    if (!person || person->empty()) {
        lookup.outcome = Lookup::Outcome::Refused;
        return lookup;
    }
    lookup.outcome = Lookup::Outcome::Person;
    lookup.person = *person;
    return lookup;
}

}
