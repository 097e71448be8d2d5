#include "app/services/ZMRAnswer.h"

#include "framework/core/KRAPIService.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

pf::Value ZMRPresent(const pf::Value& data, std::string_view keyPath)
{
    pf::Value value = dataForKeyPath(data, keyPath);
    return value.isNull() ? pf::Value() : value;
}

long long ZMRErrorCode(const pf::Value& results)
{
    pf::Value code = ZMRPresent(results, "error-code");
    if (code.isNil())
        return 0;
    if (code.isNumber()) {
        const pf::Number plain = code.number()->withoutDecimal();
        const pf::Number* number = &plain;
        if (number->type == pf::NumberType::Bool)
            return -1;
        if (number->isReal())
            return ZMRClampInt64(number->real);
        if (number->type == pf::NumberType::UnsignedLongLong &&
            static_cast<unsigned long long>(number->integer) > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
            return std::numeric_limits<long long>::max();
        return number->integer;
    }
    if (const std::string* text = code.string()) {
        const char* begin = text->c_str();
        while (*begin == ' ')
            ++begin;
        if (*begin == '\0')
            return -1;
        char* end = nullptr;
        errno = 0;
        long long value = std::strtoll(begin, &end, 10);
        while (*end == ' ')
            ++end;
        if (*end != '\0')
            return -1;
        return value; // strtoll saturates on overflow
    }
    return -1;
}

std::optional<int> ZMRServerFailedStatus(long long code)
{
    if (code > ZMRServerFailedCode || code <= ZMRServerFailedCode - 1000)
        return std::nullopt;
    return static_cast<int>(ZMRServerFailedCode - code);
}

namespace {

// The code a read's failure without results reads as, when the server spoke
// but not with its JSON: an HTTP status, an answer that is not JSON or one
// over the size bound.
std::optional<long long> serverFailure(const pf::Error& transport)
{
    if (transport.domain == "KRHttpTask" && transport.code == -6)
        return ZMRServerFailedCode;
    if (transport.domain != KRAPIErrorDomain)
        return std::nullopt;
    if (transport.code == KRAPINotJSONError)
        return ZMRServerFailedCode;
    if (transport.code >= 0 && transport.code < 1000)
        return ZMRServerFailedCode - transport.code;
    return std::nullopt;
}

}

bool ZMRIsUnanswered(long long code)
{
    return code == ZMRNotAnsweredCode || code == ZMRResultUnknownCode || ZMRServerFailedStatus(code);
}

ZMRAnswer ZMRReadAnswer(const IKRAPIResponseTask& response, std::string_view domain, ZMRRequestKind kind)
{
    ZMRAnswer answer;
    pf::DictionaryRef results = response.error() ? nullptr : response.resultsData().dictionary();
    if (!results) {
        // The transport's own reason travels along for the log; the code
        // says what the user must know: whether the server may have acted.
        const auto& transport = response.error();
        if (!transport && !response.resultsData().isNil()) {
            // JSON that is not a dictionary (an array) came whole after the
            // server had the request: no answer of the server's, just as a
            // body that is not JSON is none.
            long long code = kind == ZMRRequestKind::Read ? ZMRServerFailedCode : ZMRResultUnknownCode;
            answer.error = pf::Error{std::string(domain), code, ""};
            return answer;
        }
        long long code = transport && response.isResultUnknown() ? ZMRResultUnknownCode : ZMRNotAnsweredCode;
        // A read changed nothing, so it is never "result unknown": what was
        // lost, cut or timed out is simply not answered.
        if (kind == ZMRRequestKind::Read) {
            auto failed = transport ? serverFailure(*transport) : std::nullopt;
            code = failed.value_or(ZMRNotAnsweredCode);
        }
        answer.error = pf::Error{std::string(domain), code, transport ? transport->description : ""};
        return answer;
    }
    pf::Value data(results);
    long long code = ZMRErrorCode(data);
    if (ZMRIsUnanswered(code))
        code = -1;
    if (code != 0) {
        pf::Value error = ZMRPresent(data, "error");
        const std::string* message = error.string();
        answer.error = pf::Error{std::string(domain), code, message ? *message : ""};
        return answer;
    }
    answer.results = std::move(results);
    return answer;
}

long long ZMRClampInt64(double value)
{
    return pf::saturatedLongLong(value);
}

int ZMRClampInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
