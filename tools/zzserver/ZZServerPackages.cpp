// The script-package routes of the ZZ stand-in.
#include "tools/zzserver/ZZServer.h"

namespace zmr {

void ZZServer::setScriptPackage(std::string version, std::string zipBytes)
{
    std::lock_guard lock(m_mutex);
    m_packageVersion = std::move(version);
    m_package = std::move(zipBytes);
}

std::optional<ZZServer::Answer> ZZServer::packageAnswer(const Received& seen) const
{
    if (m_packageVersion.empty())
        return std::nullopt;
    std::string packagePath = "/pub/js/" + m_packageVersion + ".zip";
    Answer reply;
    if (seen.path == checkPath && !seen.secure) {
        std::string installed;
        for (const auto& [name, value] : seen.query) {
            if (name == "hver")
                installed = value;
        }
        if (installed == m_packageVersion) {
            reply.body = R"({"type":0})";
        } else {
            reply.body = R"({"type":1,"version":)";
            reply.body += m_packageVersion;
            reply.body += R"(,"url":")";
            reply.body += httpsOrigin();
            reply.body += packagePath;
            reply.body += "\"}";
        }
        return reply;
    }
    if (seen.path == packagePath && seen.secure) {
        reply.body = m_package;
        reply.contentType = "application/zip";
        return reply;
    }
    return std::nullopt;
}

}
