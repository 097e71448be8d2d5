#include "platform/net/RandomBytes.h"

#include <openssl/rand.h>

#include <climits>
#include <vector>

namespace pf {

std::optional<Bytes> randomBytes(std::size_t count)
{
    Bytes bytes(count);
    for (std::size_t done = 0; done < count;) {
        std::size_t chunk = std::min<std::size_t>(count - done, INT_MAX);
        if (RAND_bytes(bytes.data() + done, static_cast<int>(chunk)) != 1)
            return std::nullopt;
        done += chunk;
    }
    return bytes;
}

}
