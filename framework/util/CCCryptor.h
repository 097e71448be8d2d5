#pragma once

// Block ciphers over bytes, kept for compatibility with data enciphered by
// earlier versions. Algorithm numbers: 0 AES, 1 DES, 2 triple DES, 3 CAST,
// 4 RC4; any other number fails. All modes are ECB with PKCS#7 padding and
// no initialisation vector. DES, CAST and RC4 need OpenSSL's legacy
// provider; without it those algorithms fail (nullopt), never abort.
// Safe from any thread.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <string_view>

// The key is the bytes of data, the UTF-8 bytes of a string, or the UTF-8
// bytes of the description of any other value, then sized for the
// algorithm: AES below 16 bytes is padded to 16, 16 to 23 to 24 (AES-192),
// longer cut or padded to 32; DES exactly 8; triple DES exactly 24; CAST at
// least 5 and at most 16; RC4 at most 512. Nullopt when the cipher cannot be
// created or the bytes cannot be processed (a wrong padding on decryption).
std::optional<pf::Bytes> CCCryptorEncryptedUsingAlgorithm(const pf::Bytes& data, int algorithm, const pf::Value& key);
std::optional<pf::Bytes> CCCryptorDecryptedUsingAlgorithm(const pf::Bytes& data, int algorithm, const pf::Value& key);

// AES with a 128-bit key in ECB mode without padding: the key is the first
// 16 bytes of the key's UTF-8 text (zero-padded). Nullopt when the length of
// the data is not a multiple of 16.
std::optional<pf::Bytes> AES256EncryptWithKey(const pf::Bytes& data, std::string_view key);

// Two upper-case hexadecimal digits per byte.
std::string toHexString(const pf::Bytes& data);
