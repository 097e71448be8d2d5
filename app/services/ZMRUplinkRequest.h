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
// task is not an IKRTask. The user information comes back with the answer.
std::shared_ptr<KRAPIRequestTask> ZMRMakeRequest(const pf::Protocol* taskType, const pf::ObjectRef& task,
                                                 std::shared_ptr<KRHttpFormBody> body, pf::Value userInfo = {});

// When the API service adds the device and sign-in items to the form: as the
// request is sent, or now (offered as IKRAPIWillRequestTask first), while
// the user state they read is still there.
enum class ZMRFormFill { WhenSent, Now };

// Answers false when the task is not an IKRTask (nothing is sent). The
// user information comes back with the answer.
bool ZMRSendRequest(KRService& service, const pf::Protocol* taskType, const pf::ObjectRef& task,
                    std::shared_ptr<KRHttpFormBody> body, ZMRFormFill fill = ZMRFormFill::WhenSent,
                    pf::Value userInfo = {});

// The response task of an answer whose task type is `taskType`, else null.
std::shared_ptr<IKRAPIResponseTask> ZMRResponseOf(const pf::Protocol* offeredType, const pf::ObjectRef& task,
                                                  const pf::Protocol* taskType);
