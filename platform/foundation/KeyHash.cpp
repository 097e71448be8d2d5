#include "platform/foundation/KeyHash.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/random.h>

namespace pf {

namespace {

struct Secret {
    std::uint64_t k0;
    std::uint64_t k1;
};

Secret randomSecret()
{
    Secret secret {};
    auto* bytes = reinterpret_cast<unsigned char*>(&secret);
    std::size_t filled = 0;
    while (filled < sizeof secret) {
        ssize_t n = getrandom(bytes + filled, sizeof secret - filled, 0);
        if (n > 0)
            filled += std::size_t(n);
        else if (errno != EINTR)
            break;
    }
    if (filled < sizeof secret) {
        // No kernel source (a sandbox without the call): the clock and where
        // this process's stack lies still differ from one run to the next.
        auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        secret.k0 ^= now * 0x9E3779B97F4A7C15ULL;
        secret.k1 ^= std::uint64_t(reinterpret_cast<std::uintptr_t>(&secret)) * 0xC2B2AE3D27D4EB4FULL;
    }
    return secret;
}

std::uint64_t rotate(std::uint64_t x, int bits) { return x << bits | x >> (64 - bits); }

}

// SipHash-1-3: one round per 8 bytes and three at the end, enough against
// keys chosen without the secret, and a few nanoseconds for a JSON key.
std::uint64_t keyHash(std::string_view key)
{
    static const Secret secret = randomSecret();
    std::uint64_t v0 = secret.k0 ^ 0x736f6d6570736575ULL, v1 = secret.k1 ^ 0x646f72616e646f6dULL;
    std::uint64_t v2 = secret.k0 ^ 0x6c7967656e657261ULL, v3 = secret.k1 ^ 0x7465646279746573ULL;
    auto round = [&] {
        v0 += v1;
        v1 = rotate(v1, 13) ^ v0;
        v0 = rotate(v0, 32);
        v2 += v3;
        v3 = rotate(v3, 16) ^ v2;
        v0 += v3;
        v3 = rotate(v3, 21) ^ v0;
        v2 += v1;
        v1 = rotate(v1, 17) ^ v2;
        v2 = rotate(v2, 32);
    };
    auto compress = [&](std::uint64_t word) {
        v3 ^= word;
        round();
        v0 ^= word;
    };
    const char* p = key.data();
    std::size_t left = key.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8); // the machine's byte order: a hash never leaves the process
        compress(word);
    }
    std::uint64_t last = std::uint64_t(key.size()) << 56;
    for (std::size_t i = 0; i < left; ++i)
        last |= std::uint64_t(std::uint8_t(p[i])) << (8 * i);
    compress(last);
    v2 ^= 0xff;
    round();
    round();
    round();
    return v0 ^ v1 ^ v2 ^ v3;
}

}
