#pragma once

// The SDK's error codes with their fixed messages, and the maps from the
// ZZ Connect servers' "ret" codes and from URL-loading error codes into them.
// An SDK error is a dictionary {"ret": code, "msg": message} with the extra
// information under "CVOpenSDKErrorExtraInfoKey" when there is any.
// Stateless; any thread.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

class APIResponse;
struct CorvanaError;

class CVOpenSDKErrorUtil {
public:
    static const char* const kRetKey;
    static const char* const kMsgKey;
    static const char* const kExtraInfoKey;
    // Domain of URL-loading errors, whose codes openSDKErrorFromOSError maps.
    static const char* const kURLErrorDomain;

    // Nil for a code without a message (-1, 14 and every unlisted code).
    static std::optional<std::string> openSDKErrorMsgForErrorCode(long long code);
    // A code without a message becomes 1, "未知错误". Nil extra information
    // leaves the key out.
    static pf::DictionaryRef openSDKErrorWithCode(long long code, const pf::Value& extraInfo = {});
    static pf::DictionaryRef openSDKErrorWithCommonServerCode(long long serverCode, const pf::Value& extraInfo = {});
    static long long commonServerCode(long long serverCode);
    static long long filterURLErrorCode(long long urlErrorCode);
    // The mapped code for a URL-loading error, else 1; the extra information
    // is the error's user information (none for a bare connection error).
    static pf::DictionaryRef openSDKErrorFromOSError(const CorvanaError& error);

    // A response carrying the error's code and message (1, "未知错误" when
    // "ret" is not a number); null for a value that is not a dictionary.
    static std::shared_ptr<APIResponse> apiResponse(const pf::Value& error);
    static std::shared_ptr<APIResponse> apiResponseFromErrorCode(long long code);
    // Sets detailRetCode and errorMsg from the answer's numeric "ret"; retCode
    // and the answer itself stay as they are.
    static void apiResponseConvert(APIResponse& response);
};
