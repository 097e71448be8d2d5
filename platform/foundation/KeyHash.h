#pragma once

// The hash of the indexes that text from outside fills with keys: a JSON
// object's members while it is parsed, and a large dictionary's index. A hash
// that is the same in every process lets a server or a file send keys made
// in advance to share one slot, and every key then walks past all the
// earlier ones (60,000 such keys took seconds). This one is keyed by a secret
// chosen at random once per process and mixed into the hashing of every
// byte, so which keys meet is unknown outside the process.
//
// Same key, same hash within one process; another process hashes it
// differently, so never store or send a hash. Any thread.

#include <cstdint>
#include <string_view>

namespace pf {

std::uint64_t keyHash(std::string_view key);

}
