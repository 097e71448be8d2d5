#include "framework/data/KRTemplateText.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"

#include <set>

namespace {

bool isSafeName(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

void logOnce(const std::string& name, const char* why)
{
    static std::set<std::string> logged;
    if (logged.insert(name).second)
        pf::log("markup template \"%s\": %s", name.c_str(), why);
}

}

std::optional<std::string> KRTemplateText(const std::optional<std::string>& name,
                                          const std::shared_ptr<pf::Bundle>& bundle)
{
    if (!name)
        return std::nullopt;
    if (!isSafeName(*name)) {
        logOnce(*name, "refused, it leaves the bundle");
        return std::nullopt;
    }
    auto from = bundle ? bundle : pf::Bundle::main();
    auto bytes = pf::readFile(from->resourcePath() + "/" + *name);
    if (!bytes) {
        logOnce(*name, "missing or unreadable");
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

void KRTemplateTextCache::setName(std::optional<std::string> name)
{
    if (name != m_name)
        m_text.reset();
    m_name = std::move(name);
}

void KRTemplateTextCache::setBundle(std::shared_ptr<pf::Bundle> bundle)
{
    if (bundle != m_bundle)
        m_text.reset();
    m_bundle = std::move(bundle);
}

const std::optional<std::string>& KRTemplateTextCache::text()
{
    if (!m_text)
        m_text = KRTemplateText(m_name, m_bundle);
    return *m_text;
}
