#pragma once

// Builds signed script packages: a zip holding the folder "js" (the scripts,
// "verify.json" listing each with its SHA-1 digest in load order, and
// "verify.signature" over the list) and "config.json" beside it.

#include <string>
#include <vector>

namespace zmr {

class ZZPackageKey;

struct ZZScriptFile {
    std::string name; // a plain file name, e.g. "init.js"
    std::string content;
};

class ZZPackageBuilder {
public:
    // The list's text: {"init_js":"<sha1>",...} in the files' order.
    static std::string verifyList(const std::vector<ZZScriptFile>& files);
    // Writes the files, the list and its signature into `folder` (created).
    static bool writeScriptFolder(const ZZPackageKey& key, const std::vector<ZZScriptFile>& files,
                                  const std::string& folder);
    static bool writePackage(const ZZPackageKey& key, const std::vector<ZZScriptFile>& files,
                             const std::string& configJson, const std::string& zipPath);
};

}
