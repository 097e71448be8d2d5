#include "platform/ui/URLOpener.h"

#include "platform/foundation/ProgramStart.h"

#include <cstring>
#include <string>

namespace pf {

namespace {

bool equalsIgnoringCase(const std::string& text, const char* lower)
{
    if (text.size() != std::strlen(lower))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

}

bool isWebURL(const URL& url)
{
    return (equalsIgnoringCase(url.scheme(), "http") || equalsIgnoringCase(url.scheme(), "https"))
        && !url.host().empty();
}

bool openWithDesktop(const URL& url)
{
    return startDetachedProgram({"xdg-open", url.absoluteString()}, ProgramLookup::SearchPath);
}

}
