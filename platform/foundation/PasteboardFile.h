#pragma once

// A pasteboard's file: a binary property list, a dictionary of "persistent"
// (a boolean) and "items" (an array of items, each an array of type name
// and data in turn). Peers in other processes read and write the same
// files, so the layout is everybody's.
//
// Boards carry pictures of megabytes between apps. Through libplist such a
// picture was copied into a node and into its encoding on the way out, and
// into a node and out of it on the way in; here a board is written from the
// caller's bytes straight to the file, and read from the file straight into
// the item's bytes. Only the layout written here (plain ASCII type names)
// is handled: any other list (another writer, a damaged or hostile file)
// is answered with nothing, and the caller leaves it to libplist, whose
// whole read is the reference for what a file holds.
//
// Any thread; no shared state. The file must not change while it is read:
// boards are replaced by a rename, never written in place, so an open file
// stays whole.

#include "platform/foundation/Pasteboard.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

// Reads a binary property list's objects by position from an open file of
// `size` bytes, each read bounded by the object area. Its head and tail
// (header, small objects, offset table and trailer of most boards) are read
// once; larger pieces go straight from the file to their destination.
class PasteboardFileReader {
public:
    PasteboardFileReader(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

    // The "persistent" flag read in place (a few dozen bytes of a board that
    // may hold megabytes). Nothing when the board is not laid out as ours
    // are (a dictionary of a few keys with an ASCII key "persistent" and a
    // boolean); the caller then reads it whole.
    std::optional<bool> persistentFlag();
    // The flag and the items; nothing unless the file is laid out exactly as
    // PasteboardFileWriter writes it (any object order and sizes).
    std::optional<std::pair<bool, std::vector<Pasteboard::Item>>> board();

private:
    struct Object {
        std::uint8_t marker;
        std::uint64_t length;
        std::uint64_t start;
    };
    std::optional<std::uint64_t> open();
    std::optional<std::uint64_t> offsetOf(std::uint64_t object);
    std::optional<Object> objectAt(std::uint64_t at);
    std::optional<std::vector<std::uint64_t>> refs(const Object& container, std::uint64_t count);
    std::optional<std::string> asciiKey(std::uint64_t object);
    bool read(std::uint64_t at, void* out, std::size_t length);
    bool readObjectBytes(std::uint64_t at, void* out, std::size_t length);

    int m_fd;
    std::uint64_t m_size;
    std::string m_head, m_tail;
    std::uint64_t m_tailAt = 0;
    unsigned m_offsetSize = 0, m_refSize = 0;
    std::uint64_t m_objects = 0, m_table = 0;
};

// Encodes a board into pieces to write one after another; the data of big
// items is not copied, the pieces point into the caller's bytes, which must
// outlive parts().
class PasteboardFileWriter {
public:
    using Entry = std::pair<std::string_view, std::span<const std::uint8_t>>;

    // False when a type name is not plain ASCII text (or holds a NUL): the
    // caller writes such boards through libplist.
    bool encode(bool persistent, const std::vector<std::vector<Entry>>& items);
    std::vector<std::string_view> parts() const;

private:
    void marker(unsigned kind, std::uint64_t length);
    void reference(std::uint64_t object);
    std::uint64_t position() const { return m_head.size() + m_blobBytes; }

    std::string m_head;
    // Bytes written straight from the caller's data after m_head's first `first` bytes.
    struct Blob {
        std::size_t first;
        std::span<const std::uint8_t> data;
    };
    std::vector<Blob> m_blobs;
    std::uint64_t m_blobBytes = 0;
    std::string m_tail;
    unsigned m_refSize = 1;
};

}
