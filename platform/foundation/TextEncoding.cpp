#include "platform/foundation/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace pf {

std::optional<std::string> gb18030ToUtf8(std::string_view bytes)
{
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    // Two bytes become at most three, four at most four.
    std::string out(bytes.size() * 3 / 2 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPointer = out.data();
    size_t outLeft = out.size();
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno != E2BIG) {
            ok = false; // an invalid or incomplete sequence
            break;
        }
        size_t used = out.size() - outLeft;
        out.resize(out.size() * 2);
        outPointer = out.data() + used;
        outLeft = out.size() - used;
    }
    iconv_close(converter);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}
