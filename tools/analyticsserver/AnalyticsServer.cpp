#include "tools/analyticsserver/AnalyticsServer.h"

#include "platform/foundation/Forward.h"
#include "sdk/analytics/MCA4ZCHelper.h"

#include <cctype>
#include <chrono>
#include <fstream>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <thread>

namespace zmr {

AnalyticsServer::AnalyticsServer(std::string logPath) : m_logPath(std::move(logPath)) {}

AnalyticsServer::~AnalyticsServer() { stop(); }

void AnalyticsServer::script(Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_script.push_back(std::move(answer));
}

std::vector<std::string> AnalyticsServer::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::size_t AnalyticsServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::string> AnalyticsServer::errors() const
{
    std::lock_guard lock(m_mutex);
    return m_errors;
}

void AnalyticsServer::log(const std::string& line)
{
    if (m_logPath.empty())
        return;
    std::ofstream out(m_logPath, std::ios::app);
    out << line << '\n';
}

std::optional<std::string> AnalyticsServer::decodeBody(const std::string& contentEncoding, const std::string& body,
                                                       std::string* error)
{
    pf::Bytes bytes(body.begin(), body.end());
    MCA4ZCHelper::ChiperRC4(bytes);
    if (contentEncoding == "rc4") {
        if (bytes.size() >= 256)
            return *error = "a plain body of 256 bytes or more", std::nullopt;
        return std::string(bytes.begin(), bytes.end());
    }
    if (contentEncoding != "rc4,gzip")
        return *error = "unknown Content-Encoding \"" + contentEncoding + "\"", std::nullopt;
    if (bytes.size() < 4)
        return *error = "no length prefix", std::nullopt;
    std::size_t length = (std::size_t(bytes[0]) << 24) | (std::size_t(bytes[1]) << 16) | (std::size_t(bytes[2]) << 8) |
                         std::size_t(bytes[3]);
    if (length < 256)
        return *error = "a compressed body below 256 bytes", std::nullopt;
    if (length > kMaxBody)
        return *error = "a body over 4 MiB", std::nullopt;
    pf::Bytes packed(bytes.begin() + 4, bytes.end());
    pf::Bytes plain;
    if (MCA4ZCHelper::GUnzip(packed, &plain, kMaxBody) != 0)
        return *error = "the gzip stream does not inflate", std::nullopt;
    if (plain.size() != length)
        return *error = "length prefix " + std::to_string(length) + " but " + std::to_string(plain.size()) + " bytes",
               std::nullopt;
    return std::string(plain.begin(), plain.end());
}

std::optional<std::vector<std::string>> AnalyticsServer::checkEvents(const std::string& json, std::string* error,
                                                                     std::vector<long long>* newSessions)
{
    nlohmann::json array = nlohmann::json::parse(json, nullptr, false);
    if (array.is_discarded() || !array.is_array() || array.empty())
        return *error = "the body is not a non-empty JSON array", std::nullopt;
    std::vector<std::string> texts;
    for (const auto& event : array) {
        if (!event.is_object() || !event.contains("ts") || !event.contains("si") || !event.contains("et") ||
            !event["et"].is_number_integer() || !event["si"].is_number_integer())
            return *error = "an event without \"ts\", \"si\" or \"et\"", std::nullopt;
        long long type = event["et"].get<long long>();
        if (type != 2 && type != 1000 && type != 1001)
            return *error = "unknown event type " + std::to_string(type), std::nullopt;
        if (type == 2) {
            if (!event.contains("ev") || !event["ev"].is_object() || !event.contains("ut") || !event.contains("cfg") ||
                event["ev"].contains("ut") || event["ev"].contains("cfg"))
                return *error = "a session event without \"ev\", \"ut\" and \"cfg\" side by side", std::nullopt;
            long long session = event["si"].get<long long>();
            std::lock_guard lock(m_mutex);
            bool seen = m_sessions.count(session) ||
                        std::find(newSessions->begin(), newSessions->end(), session) != newSessions->end();
            if (seen)
                return *error = "a second session event for si " + std::to_string(session), std::nullopt;
            newSessions->push_back(session);
        }
        if (type == 1000 && !event.contains("ei"))
            return *error = "a custom event without \"ei\"", std::nullopt;
        texts.push_back(event.dump());
    }
    return texts;
}

bool AnalyticsServer::start(int port)
{
    m_server = std::make_unique<httplib::Server>();
    m_server->set_payload_max_length(kMaxBody);
    m_server->set_keep_alive_timeout(1);
    m_server->Post("/zzconnectutil/sdk", [this](const httplib::Request& request, httplib::Response& response) {
        Answer answer;
        {
            std::lock_guard lock(m_mutex);
            ++m_requests;
            if (!m_script.empty()) {
                answer = std::move(m_script.front());
                m_script.pop_front();
            }
        }
        std::string error;
        std::optional<std::vector<std::string>> accepted;
        std::vector<long long> sessions;
        if (request.get_header_value("Content-Type") != "json")
            error = "Content-Type is not \"json\"";
        else if (auto json = decodeBody(request.get_header_value("Content-Encoding"), request.body, &error))
            accepted = checkEvents(*json, &error, &sessions);
        if (!accepted) {
            std::lock_guard lock(m_mutex);
            m_errors.push_back(error);
            log(nlohmann::json{{"error", error}}.dump());
            response.status = 400;
            return;
        }
        // Events count as received only when the answer reports success.
        if (answer.kind == AnswerKind::Status500) {
            response.status = 500;
            return;
        }
        if (answer.kind == AnswerKind::Drop) {
            // Headers promise a body that never comes: the client sees the
            // connection drop mid-answer.
            response.set_content_provider(
                64, "application/json", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            m_sessions.insert(sessions.begin(), sessions.end());
            for (const auto& text : *accepted) {
                m_events.push_back(text);
                log(text);
            }
        }
        if (answer.kind == AnswerKind::Config) {
            response.set_content(answer.body, "application/json");
        } else if (answer.kind == AnswerKind::ConfigEnciphered) {
            pf::Bytes bytes(answer.body.begin(), answer.body.end());
            MCA4ZCHelper::ChiperRC4(bytes);
            response.set_header("Content-Encoding", "rc4");
            response.set_content(std::string(bytes.begin(), bytes.end()), "application/json");
        }
    });
    int bound = port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
        return false;
    m_port = bound;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop() before the listening loop has started would be lost: the
    // loop would then serve for good and the stop wait for it.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void AnalyticsServer::stop()
{
    if (m_server)
        m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

}
