#pragma once

// A small writer of record, blob and index files for tests: the store only
// reads such files, so tests produce their own.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// Magic, header word, descriptor size, descriptor (item size, property count,
// `extra` zero bytes, properties), then the items padded to the item size.
inline Bytes storeFile(const char* magic, std::uint32_t word, std::size_t extra, std::uint32_t itemSize,
                       const std::vector<Prop>& props, const std::vector<Bytes>& items)
{
    Bytes desc(8 + extra);
    put32(desc, 0, itemSize);
    put32(desc, 4, std::uint32_t(props.size()));
    Bytes p = properties(props);
    desc.insert(desc.end(), p.begin(), p.end());
    Bytes file = {std::uint8_t(magic[0]), std::uint8_t(magic[1]), std::uint8_t(magic[2]), 0};
    put32(file, 4, word);
    put32(file, 8, std::uint32_t(desc.size()));
    file.insert(file.end(), desc.begin(), desc.end());
    for (Bytes r : items) {
        r.resize(itemSize);
        file.insert(file.end(), r.begin(), r.end());
    }
    return file;
}
inline Bytes recordFile(std::uint32_t recordSize, const std::vector<Prop>& props, const std::vector<Bytes>& records)
{
    return storeFile("FDB", 7, 4, recordSize, props, records);
}
inline Bytes indexFile(std::uint32_t itemSize, const std::vector<Prop>& props, const std::vector<Bytes>& items)
{
    return storeFile("IDX", 0, 0, itemSize, props, items);
}

// People: id int32 @0, big int64 @4, score double @12, name string[16] @20, bio blob @36.
const std::vector<Prop> kPeople = {
    {"id", 1, 4, 0}, {"big", 2, 8, 4}, {"score", 3, 8, 12}, {"name", 4, 16, 20}, {"bio", 5, 8, 36}};
constexpr std::uint32_t kRecordSize = 44;

inline Bytes person(std::int32_t id, std::int64_t big, double score, const std::string& name, std::uint64_t bio = 0)
{
    Bytes r(kRecordSize);
    put32(r, 0, std::uint32_t(id));
    put64(r, 4, std::uint64_t(big));
    putDouble(r, 12, score);
    putString(r, 20, name);
    put64(r, 36, bio);
    return r;
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
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder below the temporary directory, removed with the object.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zmr-db-XXXXXX").string();
        if (mkdtemp(tmpl.data())) m_path = tmpl;
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
