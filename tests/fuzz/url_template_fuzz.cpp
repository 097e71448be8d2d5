// Links: kr_data
// Fills arbitrary values into list URL templates: an arbitrary template must
// expand without harm, and a value filled into a fixed template must leave a
// URL that parses, keeps its host, and whose path step and query value
// decode back to exactly the value.
#include "framework/data/KRURLTemplate.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Strict "%XX" with upper-case digits, as the filler writes them.
std::string decode(const std::string& text)
{
    static const std::string digits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t hi = 0, lo = 0;
        if (text[i] == '%' && (i + 2 >= text.size() || (hi = digits.find(text[i + 1])) == std::string::npos
                               || (lo = digits.find(text[i + 2])) == std::string::npos))
            std::abort();
        out += text[i] == '%' ? static_cast<char>(hi * 16 + lo) : text[i];
        i += text[i] == '%' ? 2 : 0;
    }
    return out;
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

    auto url = pf::URL::create(KRURLExpandTemplate("http://127.0.0.1:8080/lists/{v}?start={offset}&q={v}", 2, 20, lookup));
    if (!url)
        return 0; // the load fails
    const std::string path = url->encodedPath(), query = url->query().value_or("");
    if (url->host() != "127.0.0.1" || url->fragment() || path.rfind("/lists/", 0) != 0 || query.rfind("start=20&q=", 0) != 0)
        std::abort();
    if (decode(path.substr(7)) != value || decode(query.substr(11)) != value)
        std::abort();
    return 0;
}
