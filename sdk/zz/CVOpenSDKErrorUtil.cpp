#include "sdk/zz/CVOpenSDKErrorUtil.h"

#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CorvanaRequest.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Error.h"
#include "platform/net/URLConnection.h"

#include <cmath>

const char* const CVOpenSDKErrorUtil::kRetKey = "ret";
const char* const CVOpenSDKErrorUtil::kMsgKey = "msg";
const char* const CVOpenSDKErrorUtil::kExtraInfoKey = "CVOpenSDKErrorExtraInfoKey";
// The connection layer's domain, so its failures map without a translation.
const char* const CVOpenSDKErrorUtil::kURLErrorDomain = pf::urlErrorDomain;

std::optional<std::string> CVOpenSDKErrorUtil::openSDKErrorMsgForErrorCode(long long code)
{
    switch (code) {
    case -2: return "不支持的接口";
    case 0: return "操作成功";
    case 1: return "未知错误";
    case 2: return "用户取消";
    case 3: return "请重新登录";
    case 4: return "应用没有操作权限";
    case 5: return "网络异常或没有网络";
    case 6: return "URL格式或协议错误";
    case 7: return "解析数据出错";
    case 8: return "传入参数有误";
    case 9: return "连接超时";
    case 10: return "安全问题";
    case 11: return "文件读写错误";
    case 12: return "服务器端错误";
    case 13: return "页面错误";
    case 65536: return "设置头像图片过大, 需要小于(3264 * 2448)";
    default: return std::nullopt;
    }
}

pf::DictionaryRef CVOpenSDKErrorUtil::openSDKErrorWithCode(long long code, const pf::Value& extraInfo)
{
    auto message = openSDKErrorMsgForErrorCode(code);
    if (!message) {
        code = 1;
        message = openSDKErrorMsgForErrorCode(1);
    }
    auto error = pf::Dictionary::create({ { kRetKey, code }, { kMsgKey, *message } });
    if (!extraInfo.isNil())
        error->set(kExtraInfoKey, extraInfo);
    return error;
}

long long CVOpenSDKErrorUtil::commonServerCode(long long serverCode)
{
    switch (serverCode) {
    case 0:
        return 0;
    case 100014:
    case 100015:
    case 100023:
    case 100024:
    case 100025:
    case 100026:
    case 100027:
    case 100030:
        return 3;
    case 100031:
        return 4;
    default:
        return 8;
    }
}

pf::DictionaryRef CVOpenSDKErrorUtil::openSDKErrorWithCommonServerCode(long long serverCode, const pf::Value& extraInfo)
{
    return openSDKErrorWithCode(commonServerCode(serverCode), extraInfo);
}

long long CVOpenSDKErrorUtil::filterURLErrorCode(long long code)
{
    switch (code) {
    case -1000:
    case -1002:
        return 6;
    case -1001:
        return 9;
    case -1003:
    case -1004:
    case -1005:
    case -1006:
    case -1009:
    case -1018:
    case -1019:
    case -1020:
        return 5;
    case -1007:
    case -1010:
    case -1011:
    case -1014:
        return 12;
    case -1008:
    case -1021:
        return 11;
    case -1012:
    case -1013:
    case -2000:
        return 10;
    case -1015:
    case -1016:
    case -1017:
        return 7;
    default:
        break;
    }
    if ((code <= -1100 && code >= -1103) || (code <= -3000 && code >= -3007))
        return 11;
    if (code <= -1200 && code >= -1206)
        return 10;
    return 1;
}

pf::DictionaryRef CVOpenSDKErrorUtil::openSDKErrorFromOSError(const CorvanaError& error)
{
    long long code = error.error.domain == kURLErrorDomain ? filterURLErrorCode(error.error.code) : 1;
    pf::Value extra;
    if (error.userInfo)
        extra = pf::Value(error.userInfo);
    return openSDKErrorWithCode(code, extra);
}

std::shared_ptr<APIResponse> CVOpenSDKErrorUtil::apiResponse(const pf::Value& error)
{
    auto fields = error.dictionary();
    if (!fields)
        return nullptr;
    auto response = std::make_shared<APIResponse>();
    pf::Value ret = fields->get(kRetKey);
    if (ret.isNumber()) {
        response->setDetailRetCode(ret.intValue());
        response->setErrorMsg(fields->get(kMsgKey).stringValue());
    } else {
        response->setDetailRetCode(1);
        response->setErrorMsg(openSDKErrorMsgForErrorCode(1));
    }
    return response;
}

std::shared_ptr<APIResponse> CVOpenSDKErrorUtil::apiResponseFromErrorCode(long long code)
{
    return apiResponse(pf::Value(openSDKErrorWithCode(code)));
}

void CVOpenSDKErrorUtil::apiResponseConvert(APIResponse& response)
{
    const auto& json = response.jsonResponse();
    pf::Value retValue = json ? json->get(kRetKey) : pf::Value();
    const pf::Number* ret = retValue.number();
    if (!ret)
        return;
    // A fractional or huge code is no code the server sends: it counts as a
    // wrong one.
    long long serverCode = -1;
    double real = ret->asDouble();
    if (ret->isInteger())
        serverCode = ret->asLongLong();
    else if (std::isfinite(real) && std::fabs(real) < 9e18 && real == std::trunc(real))
        serverCode = static_cast<long long>(real);
    auto sdkError = openSDKErrorWithCommonServerCode(serverCode);
    int code = sdkError->get(kRetKey).intValue();
    response.setDetailRetCode(code);
    response.setErrorMsg(sdkError->get(kMsgKey).stringValue());
}
