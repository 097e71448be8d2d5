// Links: kr_data
// Fills arbitrary values into list URL templates: an arbitrary template must
// expand without harm, and a value filled into a fixed template must leave
// a URL that parses, keeps its host, and whose path step and query value
// decode back to exactly the value.
#include "framework/data/KRURLTemplate.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Strict: only "%XX" escapes with upper-case digits, as the filler writes them.
bool decode(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\xff');
    std::string value = split == std::string::npos ? input : input.substr(split + 1);
    auto lookup = [&](std::string_view) { return pf::Value(value); };

    if (split != std::string::npos)
        (void)KRURLExpandTemplate(std::string_view(input).substr(0, split), static_cast<int>(size) - 3, 7, lookup);

    std::string built = KRURLExpandTemplate("http://127.0.0.1:8080/lists/{v}?start={offset}&q={v}", 2, 20, lookup);
    auto url = pf::URL::create(built);
    if (!url)
        return 0; // the load fails
    if (url->host() != "127.0.0.1" || url->fragment())
        std::abort();
    std::string path = url->encodedPath();
    const std::string prefix = "/lists/";
    if (path.rfind(prefix, 0) != 0)
        std::abort();
    std::string decoded;
    if (!decode(path.substr(prefix.size()), decoded) || decoded != value)
        std::abort();
    const std::string query = url->query().value_or("");
    const std::string head = "start=20&q=";
    if (query.rfind(head, 0) != 0 || !decode(query.substr(head.size()), decoded) || decoded != value)
        std::abort();
    return 0;
}
