#include "app/services/ZMRAuthService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/CachedCast.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

namespace {

constexpr const char* domain = "ZMRAuthService";

// The server task name of each type this service sends.
const char* serverTaskName(const pf::Protocol* taskType)
{
    struct Row {
        const pf::Protocol* type;
        const char* name;
    };
    static const Row rows[] = {
        {proto::IZMRAuthTask(), "ZMRLoginTask"},
        {proto::IZMRRegisterTask(), "ZMRRegisterTask"},
        {proto::IZMRVoxlyLoginTask(), "ZMRVoxlyLoginTask"},
        {proto::IZMRVoxlyBindTask(), "ZMRVoxlyBindTask"},
        {proto::IZMRZZLoginTask(), "ZMRZZLoginTask"},
        {proto::IZMRZZBindTask(), "ZMRZZBindTask"},
        {proto::IZMRLoginTask(), "ZMRLoginTask"},
        {proto::IZMRLogoutTask(), "AppAuthRemoveTask"},
    };
    for (const Row& row : rows) {
        if (row.type == taskType)
            return row.name;
    }
    return nullptr;
}

std::string text(const std::optional<std::string>& value)
{
    return value.value_or("");
}

std::optional<std::string> textAt(const pf::Value& data, std::string_view keyPath)
{
    return ZMRPresent(data, keyPath).stringValue();
}

}

bool ZMRAuthService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (serverTaskName(taskType))
        return send(taskType, task);
    if (taskType == proto::IKRAPIResponseTask()) {
        auto response = pf::cachedCast<IKRAPIResponseTask>(task);
        if (!response || !serverTaskName(response->taskType()))
            return false;
        answer(*response);
        return true;
    }
    return false;
}

bool ZMRAuthService::send(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    auto appTask = pf::cachedCast<IKRTask>(task);
    if (!appTask)
        return false;
    auto body = ZMRRequestBody(serverTaskName(taskType));
    if (taskType == proto::IZMRRegisterTask()) {
        auto reg = std::dynamic_pointer_cast<IZMRRegisterTask>(task);
        if (!reg)
            return false;
        body->addItemValue(text(reg->account()), "zmr-account");
        body->addItemValue(text(reg->password()), "zmr-password");
        body->addItemValue(text(reg->nick()), "zmr-nick");
    } else if (taskType == proto::IZMRLoginTask()) {
        auto login = std::dynamic_pointer_cast<IZMRLoginTask>(task);
        if (!login)
            return false;
        body->addItemValue(text(login->account()), "auth-account");
        body->addItemValue(text(login->password()), "auth-password");
    } else if (taskType != proto::IZMRAuthTask() && taskType != proto::IZMRLogoutTask()) {
        auto token = std::dynamic_pointer_cast<IZMRTokenTask>(task);
        if (!token)
            return false;
        bool bind = taskType == proto::IZMRVoxlyBindTask() || taskType == proto::IZMRZZBindTask();
        body->addItemValue(text(token->token()), bind ? "zmr-etoken" : "zmr-token");
        body->addItemValue(std::to_string(ZMRClampInt32(token->expires_in())), "zmr-expires_in");
    }

    // The logout is sent as the user signs out: its form takes the user id
    // and token now, while they are still stored.
    ZMRSendRequest(*this, taskType, task, body,
                   taskType == proto::IZMRLogoutTask() ? ZMRFormFill::Now : ZMRFormFill::WhenSent);
    return true;
}

void ZMRAuthService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    const pf::Protocol* taskType = response.taskType();
    if (taskType == proto::IZMRLogoutTask())
        return;
    pf::ObjectRef task = response.task();
    // The user signed in at the answer is not the one signed in when it was
    // asked (nobody, mostly): the person has since chosen or made another
    // account, which this sign-in would take over, whatever it says.
    bool ours = ZMRAnsweredForSignedInUser(*this, response);
    if (ZMRIsSignIn(taskType) && !ours) {
        krUplinkTaskDidFailWithError(task, pf::Error{domain, ZMRSupersededCode, ""}, taskType);
        return;
    }
    // Signing in again is harmless; creating an account or binding is not.
    bool read = taskType != proto::IZMRRegisterTask() && (ZMRIsSignIn(taskType) || taskType == proto::IZMRAuthTask());
    ZMRAnswer answer = ZMRReadAnswer(response, domain, read ? ZMRRequestKind::Read : ZMRRequestKind::Write);
    if (answer.error) {
        krUplinkTaskDidFailWithError(task, *answer.error, taskType);
        return;
    }
    pf::Value results(answer.results);
    pf::Value auth = ZMRPresent(results, "auth");
    pf::Value user = ZMRPresent(results, "user");
    pf::Value bind = ZMRPresent(results, "auth-bind");
    std::optional<std::string> token = textAt(results, "auth-token");
    if (ZMRIsSignIn(taskType) && (auth.isNil() || !token)) {
        // No session is no answer of the server's to a sign-in: a sign-in
        // failed at the server, a sign-up may have made the account.
        long long code = read ? ZMRServerFailedCode : ZMRResultUnknownCode;
        krUplinkTaskDidFailWithError(task, pf::Error{domain, code, ""}, taskType);
        return;
    }
    auto context = m_contextLink.of(this->context());
    // A ZZ or Voxly sign-in still waiting was asked while nobody was signed
    // in: from this answer on it could only be superseded, so its
    // "验证中..." box closes now rather than over this account.
    bool typedSignIn = taskType == proto::IZMRLoginTask() || taskType == proto::IZMRRegisterTask();
    if (context && typedSignIn)
        context->withdrawTokenSignIn();
    // Every answer stores only for the user it was sent for: a session
    // check or a binding for a previous user would sign that user in again
    // over the next (a sign-in's has been dropped above).
    if (context && !auth.isNil() && ours) {
        if (!user.isNil()) {
            context->setAccount(textAt(user, "account"));
            context->setNick(textAt(user, "nick"));
            context->setUserInfo(user);
        }
        if (!bind.isNil()) {
            context->setVoxlyToken(textAt(bind, "voxly.token"));
            context->setZzToken(textAt(bind, "zz.token"));
        }
        if (token)
            context->setAuth(auth, token);
    }
    krUplinkTaskDidSuccessResults(task, results, taskType);
}
