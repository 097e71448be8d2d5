#include "tools/appserver/AppProviders.h"

#include "platform/foundation/PercentEncode.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

namespace zmr {

namespace {

constexpr std::size_t kMaxAnswer = 16 * 1024;
// The member `key` of the top object of a provider's JSON answer: a string,
// or an integer as written. Nothing for text that is not JSON, so a broken
// answer never names a person.
std::optional<std::string> memberOf(std::string_view json, const std::string& key)
{
    auto parsed = nlohmann::json::parse(json, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return std::nullopt;
    auto found = parsed.find(key);
    if (found == parsed.end())
        return std::nullopt;
    if (found->is_string())
        return found->get<std::string>();
    if (found->is_number_integer())
        return found->dump();
    return std::nullopt;
}

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
    auto person = answer.status == 200 ? memberOf(body, member) : std::nullopt;
    if (!person || person->empty()) {
        lookup.outcome = Lookup::Outcome::Refused;
        return lookup;
    }
    lookup.outcome = Lookup::Outcome::Person;
    lookup.person = *person;
    return lookup;
}

}
