#pragma once

// A small writer of record, blob and index files for tests: the store only
// reads such files, so tests produce their own.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fdbtest {

using Bytes = std::vector<std::uint8_t>;

struct Prop {
    std::string name;
    std::uint32_t type;
    std::uint32_t length;
    std::uint32_t offset;
};

inline void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
inline void put64(Bytes& b, std::size_t at, std::uint64_t v)
{
    put32(b, at, std::uint32_t(v));
    put32(b, at + 4, std::uint32_t(v >> 32));
}
inline void putDouble(Bytes& b, std::size_t at, double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    put64(b, at, bits);
}
inline void putString(Bytes& b, std::size_t at, const std::string& s)
{
    if (b.size() < at + s.size() + 1) b.resize(at + s.size() + 1);
    std::memcpy(b.data() + at, s.c_str(), s.size() + 1);
}

inline Bytes properties(const std::vector<Prop>& props)
{
    Bytes b;
    for (const Prop& p : props) {
        std::size_t at = b.size();
        b.resize(at + 76);
        std::memcpy(b.data() + at, p.name.data(), std::min<std::size_t>(p.name.size(), 64));
        put32(b, at + 64, p.type);
        put32(b, at + 68, p.length);
        put32(b, at + 72, p.offset);
    }
    return b;
}

// The ".db" bytes: magic, header word, descriptor size, class, records.
inline Bytes recordFile(std::uint32_t recordSize, const std::vector<Prop>& props, const std::vector<Bytes>& records)
{
    Bytes cls(12);
    put32(cls, 0, recordSize);
    put32(cls, 4, std::uint32_t(props.size()));
    Bytes p = properties(props);
    cls.insert(cls.end(), p.begin(), p.end());
    Bytes file = {'F', 'D', 'B', 0};
    put32(file, 4, 7);
    put32(file, 8, std::uint32_t(cls.size()));
    file.insert(file.end(), cls.begin(), cls.end());
    for (Bytes r : records) {
        r.resize(recordSize);
        file.insert(file.end(), r.begin(), r.end());
    }
    return file;
}

inline Bytes indexFile(std::uint32_t itemSize, const std::vector<Prop>& props, const std::vector<Bytes>& items)
{
    Bytes desc(8);
    put32(desc, 0, itemSize);
    put32(desc, 4, std::uint32_t(props.size()));
    Bytes p = properties(props);
    desc.insert(desc.end(), p.begin(), p.end());
    Bytes file = {'I', 'D', 'X', 0};
    put32(file, 4, 0);
    put32(file, 8, std::uint32_t(desc.size()));
    file.insert(file.end(), desc.begin(), desc.end());
    for (Bytes r : items) {
        r.resize(itemSize);
        file.insert(file.end(), r.begin(), r.end());
    }
    return file;
}

// Blobs: a leading dummy so that no real blob sits at offset 0 ("no blob").
struct BlobFile {
    Bytes bytes = Bytes(4, 0);
    std::uint64_t add(const Bytes& blob)
    {
        std::uint64_t at = bytes.size();
        put32(bytes, at, std::uint32_t(blob.size()));
        bytes.insert(bytes.end(), blob.begin(), blob.end());
        return at;
    }
    std::uint64_t addText(const std::string& s)
    {
        Bytes b(s.begin(), s.end());
        b.push_back(0);
        return add(b);
    }
};

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline Bytes readFile(const std::string& path)
{
    Bytes b;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    std::uint8_t chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + n);
    std::fclose(f);
    return b;
}

// A fresh folder below the temporary directory, removed with the object.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zmr-db-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back(0);
        if (mkdtemp(buf.data())) m_path = buf.data();
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}
