// Links: zz_sdk zmr_zzpackage
// Truncated, bit-flipped or foreign signatures, lists and certificates: the
// signature check answers YES only for the untouched signature over the
// untouched list, checked with the same key.
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/security/Certificate.h"
#include "platform/security/PublicKey.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "tools/zzpackage/ZZPackageKey.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Setup {
    std::unique_ptr<zmr::ZZPackageKey> key = zmr::ZZPackageKey::generate(1024);
    pf::Bytes certificate = key->certificateDER();
    pf::Bytes list = {'{', '"', 'i', '_', 'j', 's', '"', ':', '"', '0', '"', '}'};
    pf::Bytes signature = key->sign(list);
    fs::path root = fs::temp_directory_path() / ("zmr_signature_fuzz_" + std::to_string(getpid()));
    Setup()
    {
        fs::create_directories(root / TOSDKRSACryptor::bundleName);
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(root.string()));
        install(certificate);
    }
    void install(const pf::Bytes& der) const
    {
        std::string path = (root / TOSDKRSACryptor::bundleName / "public_key.der").string();
        if (pf::writeFileAtomically(path, std::string(der.begin(), der.end())))
            std::abort();
    }
};

// Flips the bits of `mask` into `bytes` from `at` on, or cuts it there.
pf::Bytes mutate(pf::Bytes bytes, const uint8_t* mask, size_t size, bool truncate)
{
    if (bytes.empty() || size < 2)
        return bytes;
    size_t at = ((size_t(mask[0]) << 8) | mask[1]) % bytes.size();
    if (truncate) {
        bytes.resize(at);
        return bytes;
    }
    for (size_t i = 2; i < size && at < bytes.size(); i++, at++)
        bytes[at] ^= mask[i];
    return bytes;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    if (size < 1)
        return 0;
    const uint8_t mode = data[0] % 7;
    const uint8_t* rest = data + 1;
    size_t restSize = size - 1;
    pf::Bytes list = setup.list, signature = setup.signature, certificate = setup.certificate;
    switch (mode) {
    case 0: signature = mutate(signature, rest, restSize, true); break;
    case 1: signature = mutate(signature, rest, restSize, false); break;
    case 2: signature.assign(rest, rest + restSize); break;
    case 3: list = mutate(list, rest, restSize, false); break;
    case 4: certificate = mutate(certificate, rest, restSize, false); break;
    case 5: certificate = mutate(certificate, rest, restSize, true); break;
    default: certificate.assign(rest, rest + restSize); break;
    }
    if (certificate != setup.certificate)
        setup.install(certificate);
    bool accepted = TOSDKRSACryptor::verify(list, std::string(TOSDKRSACryptor::builtInPublicKey), signature);
    if (certificate != setup.certificate)
        setup.install(setup.certificate);
    if (!accepted)
        return 0;
    // A changed certificate may still carry the very same key.
    pf::PublicKeyRef key = TOSDKRSACryptor::getPublicKey(certificate);
    bool sameKey = key && key->subjectPublicKeyInfo() == TOSDKRSACryptor::getPublicKey(setup.certificate)->subjectPublicKeyInfo();
    if (list != setup.list || signature != setup.signature || !sameKey)
        std::abort();
    return 0;
}
