#include "platform/foundation/Bundle.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/PropertyList.h"

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace pf {

namespace {
std::mutex g_mutex; // guards g_main
std::shared_ptr<Bundle> g_main;
}

Bundle::Bundle(std::string resourcePath) : m_resourcePath(std::move(resourcePath)) {}

std::shared_ptr<Bundle> Bundle::main()
{
    std::lock_guard lock(g_mutex);
    if (!g_main) {
        const char* source = std::getenv("ZMR_SOURCE_DIR");
        g_main = std::make_shared<Bundle>(source ? std::string(source) + "/resources" : std::string("resources"));
    }
    return g_main;
}

void Bundle::setMain(std::shared_ptr<Bundle> bundle)
{
    std::lock_guard lock(g_mutex);
    g_main = std::move(bundle);
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type) const
{
    if (name.empty() || name.find("..") != std::string::npos)
        return std::nullopt;
    std::string path = m_resourcePath + "/" + name + (type.empty() ? "" : "." + type);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return path;
}

DictionaryRef Bundle::infoDictionary() const
{
    if (!m_info) {
        auto parsed = readPropertyListFile(m_resourcePath + "/Info.plist");
        m_info = parsed ? parsed.value().dictionary() : nullptr;
        if (!m_info)
            m_info = Dictionary::create();
    }
    return m_info;
}

}
