#include "StandInProviders.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

StandInProviders::StandInProviders()
{
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-provider-cas-" + std::to_string(getpid()) + ".pem")).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << zz.caPem() << voxly.caPem();
    out.close();
    if (out.good() && !zz.caPem().empty() && !voxly.caPem().empty())
        caFile = path;
}

StandInProviders::~StandInProviders()
{
    std::error_code ignored;
    if (!caFile.empty())
        std::filesystem::remove(caFile, ignored);
}

zmr::AppProviderSettings StandInProviders::settings() const
{
    zmr::AppProviderSettings settings;
    settings.zz = zz.httpsOrigin();
    settings.voxly = voxly.origin();
    settings.caFile = caFile;
    return settings;
}

std::vector<std::string> StandInProviders::arguments() const
{
    return {"--zz-server", zz.httpsOrigin(), "--voxly-server", voxly.origin(), "--provider-ca", caFile};
}

StandInProviders& standInProviders()
{
    static StandInProviders providers;
    return providers;
}
