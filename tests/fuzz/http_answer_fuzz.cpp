// Links: kr_core
// Input: one byte choosing text or JSON and the forced encoding, then the
// answer's "Content-Type" up to a newline, another field's name up to a
// newline, and the body. The head and body go through an HTTP task's
// exchange-thread steps as a server's answer would. No crash; the body reads
// as nothing or as a valid UTF-8 text (text) or a decoded value (JSON); the
// head's fields are found under any letter case and under no other name.
#include "framework/core/KRHttpTask.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"
#include "platform/net/HttpResponse.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string_view takeLine(std::string_view& input)
{
    auto end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return line;
}

std::string flipLetters(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            c = static_cast<char>(c ^ 0x20);
    }
    return out;
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool json = data[0] & 1;
    const std::int32_t encoding = (data[0] >> 1) & 1;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string contentType(takeLine(input));
    std::string otherName(takeLine(input));
    if (otherName.empty() || otherName.size() > 64)
        otherName = "X-Other";

    pf::HttpResponse head("http://127.0.0.1/", 200, {{"Content-Type", contentType}, {otherName, "1"}});
    if (head.valueForHTTPHeaderField(flipLetters("Content-Type")) != contentType ||
        !head.valueForHTTPHeaderField(flipLetters(otherName)))
        std::abort();
    if (!pf::equalsIgnoringCase(otherName + "x", "Content-Type") && head.valueForHTTPHeaderField(otherName + "x"))
        std::abort();

    auto task = std::make_shared<KRHttpTask>();
    task->setResponseType(json ? KRHttpResponseType::JSON : KRHttpResponseType::Text);
    task->setResponseEncoding(encoding);
    if (task->doBackgroundResponse(head))
        return 0;
    std::size_t half = input.size() / 2;
    auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    if (task->doBackgroundReceiveData(bytes, half) || task->doBackgroundReceiveData(bytes + half, input.size() - half))
        return 0;
    task->doBackgroundLoaded();

    pf::Value body = task->responseBody();
    if (!json && !body.isNil() && !(body.string() && pf::isValidUtf8(*body.string())))
        std::abort();
    return 0;
}
