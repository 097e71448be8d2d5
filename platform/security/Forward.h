#pragma once

#include <memory>

namespace pf {

class Certificate;
class Keychain;
class PublicKey;
using CertificateRef = std::shared_ptr<Certificate>;
using PublicKeyRef = std::shared_ptr<PublicKey>;

}
