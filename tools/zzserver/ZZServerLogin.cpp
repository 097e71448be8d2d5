// The login routes of the ZZ stand-in: the authorisation page, its answers
// and the open-id lookups.
#include "tools/zzserver/ZZServer.h"

#include "platform/foundation/PercentEncode.h"

#include <cctype>
#include <cstdio>

namespace zmr {

namespace {

constexpr const char* kAuthorize = "/oauth2.0/m_authorize";
constexpr const char* kApprove = "/oauth2.0/m_authorize/approve";
constexpr const char* kLoop = "/oauth2.0/m_authorize/loop";
constexpr const char* kMe = "/oauth2.0/m_me";
constexpr const char* kServerMe = "/oauth2.0/me";
constexpr const char* kLifetime = "7776000";

std::string value(const ZZServer::Received& seen, const std::string& name)
{
    return seen.param(name).value_or(std::string());
}

// The page's query again, for its links.
std::string queryOf(const ZZServer::Received& seen)
{
    std::string query;
    for (const auto& [name, text] : seen.query)
        query += (query.empty() ? "" : "&") + pf::percentEncode(name) + "=" + pf::percentEncode(text);
    return query;
}

}

std::string ZZServer::openIdFor(const std::string& token)
{
    // "ZZ", the road's letter, then the client id: letters and digits.
    if (token.size() < 4 || token.size() > 40 || token.compare(0, 2, "ZZ") != 0 || std::string("TBA").find(token[2]) == std::string::npos)
        return {};
    std::string clientId = token.substr(3);
    for (char c : clientId)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return {};
    return "OID" + clientId;
}

void ZZServer::grant(const std::string& token, const std::string& clientId)
{
    std::lock_guard lock(m_mutex);
    m_granted[token] = clientId;
}

std::string encipherBrowserToken(const std::string& token, const std::string& key)
{
    std::string out;
    // Without a key there is nothing to carry (and no byte to cycle through).
    for (std::size_t i = 0; i < token.size() && !key.empty(); i++) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x",
                      static_cast<unsigned char>(token[i]) ^ static_cast<unsigned char>(key[i % key.size()]));
        out += digits;
    }
    return out;
}

namespace {

ZZServer::Answer redirect(std::string& location, std::string to)
{
    ZZServer::Answer reply;
    reply.status = 302;
    reply.contentType = "text/html";
    reply.body = "<html><body>moved</body></html>";
    location = std::move(to);
    return reply;
}

}

void ZZServer::setLoginSwitches(LoginSwitches switches)
{
    std::lock_guard lock(m_mutex);
    m_login = switches;
}

std::optional<ZZServer::Answer> ZZServer::loginAnswer(const Received& seen, std::string& location) const
{
    std::string clientId = value(seen, "client_id");
    if (seen.path == kAuthorize || seen.path == kLoop) {
        if (m_login.loop)
            return redirect(location, std::string(seen.path == kAuthorize ? kLoop : kAuthorize) + "?" + queryOf(seen));
        Answer page;
        page.contentType = "text/html";
        page.charset = "utf-8";
        page.body = "<html><head><title>ZZ登录</title></head><body style='margin:0'>"
                    "<div style='background:#2b6cb8;color:#ffffff;height:80px'>ZZ帐号登录 "
                    + clientId + "</div><p><a href='" + std::string(kApprove) + "?" + queryOf(seen)
            + "'>授权</a></p><p><a href='corvana" + clientId + "://cancel'>取消</a></p>";
        if (m_login.browserLink)
            page.body += "<p><a href='auth://browser?fall_to_wv=1'>浏览器</a></p>";
        page.body += "</body></html>";
        return page;
    }
    if (seen.path == kApprove) {
        bool browser = value(seen, "browser") == "1";
        std::string token = tokenFor(clientId);
        std::string answer;
        if (m_login.deny) {
            answer = "error=access_denied";
        } else {
            answer = "access_token=" + (browser ? encipherBrowserToken(token, value(seen, "token_key")) : token);
            if (!m_login.noOpenId)
                answer += "&openid=" + openIdFor(token);
            answer += std::string("&expires_in=") + kLifetime;
        }
        if (browser) {
            answer += "&serial=" + pf::percentEncode(value(seen, "serial"));
            return redirect(location, "corvana" + clientId + "://" + authorisationHost + "/#" + answer);
        }
        return redirect(location, value(seen, "redirect_uri") + "#" + answer);
    }
    if (seen.path == "/user/set_user_face") {
        Answer face;
        bool picture = false;
        for (const auto& part : seen.parts)
            picture = picture || (part.name == "picture" && !part.content.empty());
        face.body = picture ? R"({"ret":0})" : R"({"ret":1,"msg":"no picture"})";
        return face;
    }
    if (seen.path == "/oauth2.0/getUserInfo") {
        Answer user;
        user.body = R"({"ret":0,"nickname":"ZZ用户","figureurl":""})";
        return user;
    }
    if (seen.path == kMe || seen.path == kServerMe) {
        Answer me;
        std::string token = value(seen, "access_token");
        std::string client = token.size() > 3 ? token.substr(3) : std::string();
        std::string openId = openIdFor(token);
        if (auto granted = m_granted.find(token); granted != m_granted.end()) {
            client = granted->second;
            openId = openIdFor(tokenFor(client));
        }
        if (openId.empty())
            me.body = R"({"error":100016,"error_description":"access token check failed"})";
        else
            me.body = R"({"client_id":")" + client + R"(","openid":")" + openId + "\"}";
        return me;
    }
    return std::nullopt;
}

}
