#include "tools/zzpackage/ZZPackageBuilder.h"

#include "platform/foundation/FileSystem.h"
#include "platform/security/Digest.h"
#include "sdk/zz/CVZipArchive.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <cstdio>

namespace zmr {

namespace {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string listKey(std::string name)
{
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name[dot] = '_';
    return name;
}

pf::Bytes bytesOf(const std::string& text)
{
    return pf::Bytes(text.begin(), text.end());
}

bool write(const std::string& path, const std::string& text)
{
    return !pf::writeFileAtomically(path, text);
}

}

std::string ZZPackageBuilder::verifyList(const std::vector<ZZScriptFile>& files)
{
    std::string list = "{";
    for (const ZZScriptFile& file : files) {
        if (list.size() > 1)
            list += ',';
        list += jsonString(listKey(file.name)) + ":" + jsonString(pf::sha1Hex(file.content));
    }
    return list + "}";
}

bool ZZPackageBuilder::writeScriptFolder(const ZZPackageKey& key, const std::vector<ZZScriptFile>& files,
                                         const std::string& folder)
{
    if (!pf::createDirectories(folder))
        return false;
    for (const ZZScriptFile& file : files) {
        if (!write(folder + "/" + file.name, file.content))
            return false;
    }
    std::string list = verifyList(files);
    pf::Bytes signature = key.sign(bytesOf(list));
    return !signature.empty() && write(folder + "/verify.json", list) &&
        write(folder + "/verify.signature", std::string(signature.begin(), signature.end()));
}

bool ZZPackageBuilder::writePackage(const ZZPackageKey& key, const std::vector<ZZScriptFile>& files,
                                    const std::string& configJson, const std::string& zipPath)
{
    std::string list = verifyList(files);
    pf::Bytes signature = key.sign(bytesOf(list));
    if (signature.empty())
        return false;
    CVZipArchive archive(zipPath);
    if (!archive.open())
        return false;
    bool ok = archive.writeData(pf::Bytes(), "js/");
    for (const ZZScriptFile& file : files)
        ok = ok && archive.writeData(bytesOf(file.content), "js/" + file.name);
    ok = ok && archive.writeData(bytesOf(list), "js/verify.json");
    ok = ok && archive.writeData(signature, "js/verify.signature");
    ok = ok && archive.writeData(bytesOf(configJson), "config.json");
    return archive.close() && ok;
}

}
