#pragma once

// Writes a binary property list ("bplist00") object by object, without
// building a node tree first: each call appends one object and answers its
// reference, and a container is written after its members, naming them by
// those references. Keyed archives cross the pasteboards several times per
// exchange; through libplist each was a tree of nodes built, hashed and
// freed before any byte was written.
//
// References take `refSize` bytes (1, 2, 4 or 8); finish() answers nothing
// when more objects were written than that can name, and the caller writes
// again with wider references. Strings must be valid UTF-8 without NULs
// (the caller checks): ASCII is written as ASCII, anything else as UTF-16.
// Integers are written as libplist writes them (the fewest of 1, 2, 4 or 8
// bytes; negative ones as their 64-bit pattern). Equal objects are not
// shared unless the caller reuses a reference.
//
// One list per writer; any thread.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

class BinaryPropertyListWriter {
public:
    using Ref = std::uint64_t;

    explicit BinaryPropertyListWriter(unsigned refSize);

    Ref string(std::string_view utf8);
    Ref integer(std::uint64_t bits);
    Ref real(double value);
    Ref boolean(bool value);
    Ref data(std::span<const std::uint8_t> bytes);
    Ref array(std::span<const Ref> members);
    Ref dictionary(std::span<const Ref> keys, std::span<const Ref> values);

    // The list with `top` as its root.
    std::optional<Bytes> finish(Ref top) const;

private:
    Ref begin();
    void marker(unsigned kind, std::uint64_t length);
    void reference(Ref object);

    unsigned m_refSize;
    std::string m_objects{"bplist00"};
    std::vector<std::uint64_t> m_offsets;
};

}
