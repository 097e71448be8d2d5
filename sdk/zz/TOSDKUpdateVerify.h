#pragma once

// Checks a script folder before it is installed or loaded: "verify.json" must
// carry a valid signature ("verify.signature", see TOSDKRSACryptor) and every
// file it lists must have the SHA-1 digest it gives. Class methods only, no
// state: any thread.
//
// "verify.json" is a JSON object whose keys name files of the folder with
// their last "." written as "_" ("init.js" is init_js) and whose values are
// the digests as 40 lower-case hexadecimal characters. Keys that are empty or
// would name a path ("/", ".", "..") and values that are not text fail the
// folder. Files the list does not name are not examined.

#include "platform/foundation/Forward.h"

#include <map>
#include <optional>
#include <string>

class TOSDKUpdateVerify {
public:
    // The whole check. Removes ".DS_STORE" from the folder once the signature
    // has verified, and changes nothing else.
    static bool isNativeResourceFileValid(const std::string& folder);

    // What the caller knows of the folder because it has just written it and
    // nothing else can have changed it since (the caller holds the package
    // lock): the SHA-1 of files by name, and the list and signature it has
    // already checked. A file it does not know is read as usual, and the
    // list's signature is checked again unless the folder's list and
    // signature are, by their digests, the ones it checked.
    struct Known {
        std::map<std::string, std::string> sha1;
        pf::Bytes checkedList;
        pf::Bytes checkedSignature;
    };
    // The same check and answer, without reading again what `known` holds.
    static bool isNativeResourceFileValid(const std::string& folder, const Known& known);
    // True when the file can be read and its digest equals `digest` exactly.
    static bool verifyFile(const std::optional<std::string>& path, const std::optional<std::string>& digest);
    // The file named by a list key: its last "_" becomes "."; nothing for a
    // key that names no plain file of the folder.
    static std::optional<std::string> fileNameForKey(const std::string& key);
};
