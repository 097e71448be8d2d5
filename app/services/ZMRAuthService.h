#pragma once

// The account service: password sign-in, registration, the check of the
// stored sign-in, Voxly and ZZ sign-in and binding, and the sign-out notice.
// Each task becomes one request to the application server; a successful
// answer is applied to the user context (account, nickname, profile, bound
// tokens, then user id and token) before the task's delegate hears of it.
//
// A sign-in (password, registration, Voxly or ZZ token) succeeds only with
// both "auth" and "auth-token" in the answer; without them the answer is
// none the server means (ZMRServerFailedCode, or ZMRResultUnknownCode for a
// registration, which may have made the account). Every failure reaches the
// delegate as an error of domain "ZMRAuthService" and leaves the context as
// it was. A password sign-in or registration that succeeds withdraws the
// context's ZZ or Voxly sign-in still waiting (withdrawTokenSignIn), which
// could only be superseded after it. A sign-in answered after the signed-in
// user changed since it was asked (another account chosen or made
// meanwhile) stores nothing and fails with ZMRSupersededCode; a session
// check or a binding answered so stores nothing and still reports its
// outcome. The answer to a logout goes nowhere. Main queue only.

#include "app/services/ZMRContext.h"
#include "framework/core/KRUplinkService.h"

class IKRAPIResponseTask;

class ZMRAuthService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

private:
    bool send(const pf::Protocol* taskType, const pf::ObjectRef& task);
    void answer(const IKRAPIResponseTask& response);

    ZMRContextLink m_contextLink;
};
