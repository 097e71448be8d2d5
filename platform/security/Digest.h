#pragma once

// Message digests. Any thread.

#include "platform/foundation/Forward.h"

#include <memory>
#include <string>
#include <string_view>

namespace pf {

inline constexpr std::size_t sha1Length = 20;

// The 20-byte SHA-1 digest of the bytes.
Bytes sha1(std::string_view bytes);
Bytes sha1(const Bytes& bytes);
// The same digest as 40 lower-case hexadecimal characters.
std::string sha1Hex(std::string_view bytes);
std::string sha1Hex(const Bytes& bytes);

// A SHA-1 digest of bytes given in pieces, for data that passes through in
// blocks and is not kept whole. Used by one thread at a time.
class Sha1Stream {
public:
    Sha1Stream();
    ~Sha1Stream();
    Sha1Stream(const Sha1Stream&) = delete;
    Sha1Stream& operator=(const Sha1Stream&) = delete;

    void update(std::string_view bytes);
    // The digest of everything given since construction or the last call,
    // as 40 lower-case hexadecimal characters; starts a new digest.
    std::string finishHex();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

}
