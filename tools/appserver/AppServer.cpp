#include "tools/appserver/AppServer.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppServerData.h"
#include "tools/appserver/AppServerLists.h"
#include "tools/appserver/AppServerPages.h"
#include "tools/appserver/AppServerSocial.h"
#include "tools/appserver/AppServerWorld.h"
#include "tools/appserver/AppStore.h"
#include "platform/foundation/URL.h"

#include <httplib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <variant>

namespace zmr {

namespace {

using Answer = JsonObject;

// A form item: "+" is a space; a malformed escape leaves the item as sent.
std::string decode(std::string text)
{
    std::replace(text.begin(), text.end(), '+', ' ');
    return pf::percentDecode(text).value_or(text);
}

Form parseForm(const std::string& body)
{
    Form form;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        std::string pair = body.substr(start, end - start);
        if (!pair.empty()) {
            std::size_t equals = pair.find('=');
            if (equals == std::string::npos)
                form.emplace(decode(pair), "");
            else
                form.emplace(decode(pair.substr(0, equals)), decode(pair.substr(equals + 1)));
        }
        start = end + 1;
    }
    return form;
}

// The signed-in user's own profile: account, nickname, portrait and the
// rest, each once: the profile names the user id and nickname itself.
std::string userJson(AppStore& store, const AppUser& user, const std::string& origin)
{
    Answer out;
    out.text("account", user.account);
    if (auto profile = store.userJson(user.uid, user.uid, origin); profile && profile->size() > 2)
        return out.json().substr(0, out.json().size() - 1) + "," + profile->substr(1);
    out.integer("uid", user.uid);
    // A user who has not chosen a nickname yet has none: null, never "".
    if (user.nick.empty())
        out.add("nick", "null");
    else
        out.text("nick", user.nick);
    return out.json();
}

std::string bindJson(const AppUser& user)
{
    Answer out;
    if (user.voxlyToken) {
        Answer voxly;
        voxly.text("token", *user.voxlyToken);
        out.add("voxly", voxly.json());
    }
    if (user.zzToken) {
        Answer zz;
        zz.text("token", *user.zzToken);
        out.add("zz", zz.json());
    }
    return out.json();
}

struct Failure {
    long long code;
    const char* message;
};

const Failure kWrongPassword{257, "登录名或密码错误"};
const Failure kAccountTaken{264, "登录名已存在，请尝试其他登录名"};
const Failure kNickTaken{265, "昵称已存在，请尝试其他昵称"};
const Failure kShortPassword{15361, "密码长度不小于6位"};
const Failure kBadCredential{15362, "登录凭证验证失败，请重新登录"};
const Failure kBadNick{15364, "昵称应在4~24个字符,一个汉字占2个字符"};
const Failure kEmptyAccount{1, "登录名不能为空"};
const Failure kUnknownTask{2, "未知的请求"};
const Failure kBadConfig{3, "配置错误"};
const Failure kServerError{500, "服务器错误"};
// The application has no text of its own for these: it shows the server's.
const Failure kVoxlyHeld{15367, "该Voxly账号已绑定其他账户"};
const Failure kZZHeld{15367, "该ZZ账号已绑定其他账户"};
const Failure kNoVoxly{15368, "服务器未接入Voxly，无法用Voxly登录或绑定"};
const Failure kNoZZ{15368, "服务器未接入ZZ，无法用ZZ登录或绑定"};
// No provider issues tokens longer than this; a longer one is not asked about.
constexpr std::size_t kMaxOutsideToken = 1024;

}

AppServer::AppServer(std::shared_ptr<AppStore> store, AppProviderSettings providers)
    : m_store(std::move(store)), m_providers(std::move(providers))
{
}

AppServer::~AppServer()
{
    stop();
}

bool AppServer::start(int port)
{
    m_server = std::make_unique<httplib::Server>();
    m_server->new_task_queue = [] { return new httplib::ThreadPool(8); };
    m_server->set_keep_alive_timeout(2);
    // Answers go out in more than one write; without this each waits for
    // the client's delayed acknowledgement.
    m_server->set_tcp_nodelay(true);
    m_server->set_payload_max_length(1 << 20);
    m_server->Post("/api", [this](const httplib::Request& request, httplib::Response& response) {
        {
            std::unique_lock lock(m_holdMutex);
            if (m_held) {
                ++m_heldRequests;
                m_holdReleased.wait(lock, [this] { return !m_held; });
            }
        }
        response.set_content(answer(request.body, requestOrigin(request, m_port)), "application/json; charset=utf-8");
    });
    m_server->Post("/crash", [this](const httplib::Request& request, httplib::Response& response) {
        Form report = parseForm(request.body);
        std::fprintf(stderr, "appserver: crash report %s\n", item(report, "exception").value_or("(no exception)").c_str());
        {
            std::lock_guard lock(m_seenMutex);
            m_crashReports.push_back(std::move(report));
        }
        response.set_content("{}", "application/json; charset=utf-8");
    });
    addUploadRoutes(*m_server, m_store, [this] { return m_port; });
    addListRoutes(*m_server, m_store, [this] { return m_port; });
    addPageRoutes(*m_server);
    int bound = port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        m_server.reset();
        return false;
    }
    m_port = bound;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop() before the listening loop has started would be lost: the
    // loop would then serve for good and the stop wait for it.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void AppServer::hold()
{
    std::lock_guard lock(m_holdMutex);
    m_held = true;
}

void AppServer::release()
{
    {
        std::lock_guard lock(m_holdMutex);
        m_held = false;
    }
    m_holdReleased.notify_all();
}

std::size_t AppServer::heldRequests() const
{
    std::lock_guard lock(m_holdMutex);
    return m_heldRequests;
}

void AppServer::stop()
{
    release(); // a held answer would keep the server from stopping
    if (m_server)
        m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

std::vector<Form> AppServer::crashReports() const
{
    std::lock_guard lock(m_seenMutex);
    return m_crashReports;
}

std::vector<std::string> AppServer::deviceTokens() const
{
    std::lock_guard lock(m_seenMutex);
    return m_deviceTokens;
}

std::string AppServer::answer(const std::string& formBody, std::string origin)
{
    if (origin.empty())
        origin = "http://127.0.0.1:" + std::to_string(m_port);
    Form form = parseForm(formBody);
    Answer out;
    auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    auto fail = [&](const Failure& failure) {
        Answer error;
        error.integer("error-code", failure.code);
        error.text("error", failure.message);
        error.integer("timestamp", now);
        return error.json();
    };
    if (auto token = item(form, "device-token"); token && !token->empty()) {
        std::lock_guard lock(m_seenMutex);
        if (std::find(m_deviceTokens.begin(), m_deviceTokens.end(), *token) == m_deviceTokens.end())
            m_deviceTokens.push_back(*token);
    }
    if (item(form, "config") != "config_zmr")
        return fail(kBadConfig);
    std::string taskType = item(form, "taskType").value_or("");

    std::optional<long long> deviceId;
    if (!item(form, "device-did")) {
        if (auto unique = item(form, "device-unique")) {
            std::string description = item(form, "device-name").value_or("") + " " + item(form, "device-model").value_or("");
            deviceId = m_store->deviceFor(*unique, description);
        }
    }
    // The session of the envelope's user id and token, when they match.
    std::optional<long long> sessionUid;
    auto sessionToken = item(form, "auth-token");
    if (auto uid = integerItem(form, "auth-uid"); uid && sessionToken) {
        if (m_store->tokenOwner(*sessionToken) == *uid)
            sessionUid = uid;
    }

    // A signed-in request that tells where the phone is places its user
    // there, for the people-nearby list.
    if (sessionUid && item(form, "zmr-latitude") && item(form, "zmr-longitude"))
        m_store->setPosition(*sessionUid, realItem(form, "zmr-latitude"), realItem(form, "zmr-longitude"));

    out.integer("error-code", 0);
    out.integer("timestamp", now);
    if (deviceId)
        out.integer("device-did", *deviceId);

    auto signedIn = [&](const AppUser& user, const std::optional<std::string>& token) {
        if (!token)
            return fail(kServerError);
        out.integer("auth", user.uid);
        out.text("auth-token", *token);
        out.add("user", userJson(*m_store, user, origin));
        out.add("auth-bind", bindJson(user));
        return out.json();
    };

    if (taskType == "ZMRRegisterTask") {
        std::string account = item(form, "zmr-account").value_or("");
        std::string password = item(form, "zmr-password").value_or("");
        std::string nick = item(form, "zmr-nick").value_or("");
        if (account.empty())
            return fail(kEmptyAccount);
        if (password.size() < 6)
            return fail(kShortPassword);
        if (std::size_t width = nickWidth(nick); width < 4 || width > 24)
            return fail(kBadNick);
        AppUser user;
        switch (m_store->addUser(account, password, nick, user)) {
        case AppStore::Outcome::Ok: return signedIn(user, m_store->issueToken(user.uid));
        case AppStore::Outcome::AccountTaken: return fail(kAccountTaken);
        case AppStore::Outcome::NickTaken: return fail(kNickTaken);
        case AppStore::Outcome::Failed: return fail(kServerError);
        }
    }
    if (taskType == "ZMRLoginTask") {
        if (auto account = item(form, "auth-account")) {
            auto user = m_store->checkPassword(*account, item(form, "auth-password").value_or(""));
            if (!user)
                return fail(kWrongPassword);
            return signedIn(*user, m_store->issueToken(user->uid));
        }
        // The check of a stored sign-in: the envelope's user id and token.
        auto user = sessionUid ? m_store->user(*sessionUid) : std::nullopt;
        if (!user)
            return fail(kBadCredential);
        return signedIn(*user, sessionToken);
    }
    // An outside token names a person only through the provider that issued
    // it; nothing is made or changed for one it does not vouch for.
    auto outsidePerson = [&](const std::string& kind, const std::string& token) -> std::variant<std::string, Failure> {
        if (!m_providers.has(kind))
            return kind == "zz" ? kNoZZ : kNoVoxly;
        if (token.empty() || token.size() > kMaxOutsideToken)
            return kBadCredential;
        AppProviders::Lookup lookup = m_providers.personFor(kind, token);
        if (lookup.outcome != AppProviders::Lookup::Outcome::Person)
            return kBadCredential;
        return lookup.person;
    };
    if (taskType == "ZMRVoxlyLoginTask" || taskType == "ZMRZZLoginTask") {
        std::string kind = taskType == "ZMRZZLoginTask" ? "zz" : "voxly";
        auto token = item(form, "zmr-token").value_or("");
        auto person = outsidePerson(kind, token);
        if (auto* failure = std::get_if<Failure>(&person))
            return fail(*failure);
        auto user = m_store->userForExternalPerson(kind, std::get<std::string>(person), token);
        if (!user)
            return fail(kServerError);
        return signedIn(*user, m_store->issueToken(user->uid));
    }
    if (taskType == "ZMRVoxlyBindTask" || taskType == "ZMRZZBindTask") {
        std::string kind = taskType == "ZMRZZBindTask" ? "zz" : "voxly";
        auto token = item(form, "zmr-etoken").value_or("");
        if (!sessionUid)
            return fail(kBadCredential);
        auto person = outsidePerson(kind, token);
        if (auto* failure = std::get_if<Failure>(&person))
            return fail(*failure);
        switch (m_store->bindExternalPerson(*sessionUid, kind, std::get<std::string>(person), token)) {
        case AppStore::BindOutcome::Ok: break;
        case AppStore::BindOutcome::HeldByAnother: return fail(kind == "zz" ? kZZHeld : kVoxlyHeld);
        case AppStore::BindOutcome::Failed: return fail(kServerError);
        }
        auto user = m_store->user(*sessionUid);
        if (!user)
            return fail(kServerError);
        // No "auth-token": binding keeps the sign-in as it is.
        out.integer("auth", user->uid);
        out.add("user", userJson(*m_store, *user, origin));
        out.add("auth-bind", bindJson(*user));
        return out.json();
    }
    if (taskType == "AppAuthRemoveTask") {
        if (sessionUid)
            m_store->revokeToken(*sessionToken);
        return out.json();
    }
    if (auto reply = answerDataTask(*m_store, taskType, form, sessionUid, origin)) {
        if (reply->errorCode != 0)
            return fail(Failure{reply->errorCode, reply->error.c_str()});
        for (const auto& [key, json] : reply->members)
            out.add(key, json);
        return out.json();
    }
    if (auto reply = answerSocialTask(*m_store, taskType, form, sessionUid, origin)) {
        if (reply->code != 0)
            return fail(Failure{reply->code, reply->message.c_str()});
        for (const auto& [key, json] : reply->members)
            out.add(key, json);
        return out.json();
    }
    if (auto reply = answerWorldTask(*m_store, taskType, form, sessionUid, origin)) {
        if (reply->code != 0)
            return fail(Failure{reply->code, reply->message.c_str()});
        for (const auto& [key, json] : reply->members)
            out.add(key, json);
        return out.json();
    }
    if (!taskType.empty() && m_store->listCount(taskType) > 0) {
        long long pageIndex = integerItem(form, "zmr-pageIndex").value_or(1);
        long long pageSize = integerItem(form, "zmr-pageSize").value_or(20);
        pageIndex = std::max(1LL, std::min(pageIndex, 1000000LL));
        pageSize = std::max(1LL, std::min(pageSize, 100LL));
        std::size_t total = m_store->listCount(taskType);
        auto page = m_store->listPage(taskType, static_cast<std::size_t>((pageIndex - 1) * pageSize), static_cast<std::size_t>(pageSize));
        std::string list = "[";
        for (std::size_t i = 0; i < page.size(); ++i)
            list += (i ? "," : "") + page[i];
        out.add("list", list + "]");
        out.integer("pageIndex", pageIndex);
        out.integer("pageSize", pageSize);
        out.integer("total", static_cast<long long>(total));
        return out.json();
    }
    return fail(kUnknownTask);
}

}
