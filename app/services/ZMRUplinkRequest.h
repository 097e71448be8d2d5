#pragma once

// Sending one application task to the server: a form that opens with
// "config" and the server task name, handed to the context as an API
// request under the task's own type, priority 0, API key "url".
// Main queue only.

#include "framework/core/Forward.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <string>

class IKRAPIResponseTask;
class IKRAPITask;
class KRHttpFormBody;
class KRService;

class KRAPIRequestTask;

// The form's first items: "config" (the one place that names the server's
// configuration) and the server task name.
std::shared_ptr<KRHttpFormBody> ZMRRequestBody(const char* serverTaskName);

// A number as the server reads it in a form item or a list's query value:
// fixed notation with six decimals ("12.500000"), every digit of the whole
// part kept.
std::string ZMRFormDecimal(double value);

// The API request for `task` under `taskType` with `body`; null when the
// task is not an IKRTask. The user information comes back with the answer
// (read it with ZMRRequestUserInfo), and so does the user signed in to
// `service`'s context now, for ZMRAnsweredForSignedInUser.
std::shared_ptr<KRAPIRequestTask> ZMRMakeRequest(const KRService& service, const pf::Protocol* taskType,
                                                 const pf::ObjectRef& task, std::shared_ptr<KRHttpFormBody> body,
                                                 pf::Value userInfo = {});

// When the API service adds the device and sign-in items to the form: as the
// request is sent, or now (offered as IKRAPIWillRequestTask first), while
// the user state they read is still there.
enum class ZMRFormFill { WhenSent, Now };

// Answers false when the task is not an IKRTask (nothing is sent). The
// user information and the signed-in user come back with the answer, as
// with ZMRMakeRequest.
bool ZMRSendRequest(KRService& service, const pf::Protocol* taskType, const pf::ObjectRef& task,
                    std::shared_ptr<KRHttpFormBody> body, ZMRFormFill fill = ZMRFormFill::WhenSent,
                    pf::Value userInfo = {});

// The user signed in to `service`'s context now; nil for nobody. A service
// that sends its request only after an upload keeps it from the start, so
// that nothing is sent in the name of a user who signed in meanwhile.
pf::Value ZMRSignedInUser(const KRService& service);
// Whether `user`, kept from ZMRSignedInUser, is the one signed in now.
bool ZMRIsSignedIn(const KRService& service, const pf::Value& user);

// The user information the request was made with.
pf::Value ZMRRequestUserInfo(const IKRAPITask& task);

// Whether the answer's request was made by ZMRMakeRequest or ZMRSendRequest
// while the user signed in to `service`'s context now was signed in (nobody
// then and now counts as the same). An answer that is not must store
// nothing: no row of the user's database, no user state of the context, no
// notification that makes a screen show it; the handler still tells the
// task's delegate the outcome.
bool ZMRAnsweredForSignedInUser(const KRService& service, const IKRAPIResponseTask& response);

// The response task of an answer whose task type is `taskType`, else null.
std::shared_ptr<IKRAPIResponseTask> ZMRResponseOf(const pf::Protocol* offeredType, const pf::ObjectRef& task,
                                                  const pf::Protocol* taskType);
