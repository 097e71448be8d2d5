#include "platform/foundation/PasteboardFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pf {

namespace {

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kTrailerSize = 32;
// Head and tail read at once; a board up to twice this is read in one go.
constexpr std::size_t kWindow = 4096;
// Data up to this size is copied into the encoding; larger data is written
// from the caller's bytes as a piece of its own.
constexpr std::size_t kInlineData = 16384;

std::uint64_t number(const unsigned char* bytes, std::size_t length)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = value << 8 | bytes[i];
    return value;
}

void appendNumber(std::string& out, std::uint64_t value, unsigned size)
{
    for (unsigned i = size; i-- > 0;)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

unsigned bytesFor(std::uint64_t value)
{
    return value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFF ? 4 : 8;
}

bool isPlainType(std::string_view type)
{
    for (unsigned char c : type)
        if (c == 0 || c >= 0x80)
            return false;
    return true;
}

}

bool PasteboardFileReader::read(std::uint64_t at, void* out, std::size_t length)
{
    if (at > m_size || length > m_size - at)
        return false;
    if (length == 0)
        return true;
    if (at + length <= m_head.size()) {
        std::memcpy(out, m_head.data() + at, length);
        return true;
    }
    if (!m_tail.empty() && at >= m_tailAt && at + length <= m_tailAt + m_tail.size()) {
        std::memcpy(out, m_tail.data() + (at - m_tailAt), length);
        return true;
    }
    auto* next = static_cast<char*>(out);
    while (length > 0) {
        ssize_t n = ::pread(m_fd, next, length, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        next += n;
        at += static_cast<std::uint64_t>(n);
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool PasteboardFileReader::readObjectBytes(std::uint64_t at, void* out, std::size_t length)
{
    return at <= m_table && length <= m_table - at && read(at, out, length);
}

std::optional<std::uint64_t> PasteboardFileReader::open()
{
    if (m_size < kHeaderSize + kTrailerSize)
        return std::nullopt;
    std::string head(m_size <= 2 * kWindow ? m_size : kWindow, '\0');
    if (!read(0, head.data(), head.size()))
        return std::nullopt;
    m_head = std::move(head);
    if (m_head.size() < m_size) {
        std::string tail(kWindow, '\0');
        if (!read(m_size - kWindow, tail.data(), tail.size()))
            return std::nullopt;
        m_tail = std::move(tail);
        m_tailAt = m_size - kWindow;
    }
    unsigned char trailer[kTrailerSize];
    if (m_head.compare(0, kHeaderSize, "bplist00") != 0 || !read(m_size - kTrailerSize, trailer, kTrailerSize))
        return std::nullopt;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    m_objects = number(trailer + 8, 8);
    std::uint64_t top = number(trailer + 16, 8);
    m_table = number(trailer + 24, 8);
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || m_objects == 0 ||
        m_objects > m_size || top >= m_objects || m_table < kHeaderSize || m_table > m_size - kTrailerSize ||
        m_objects * m_offsetSize > m_size - kTrailerSize - m_table)
        return std::nullopt;
    return offsetOf(top);
}

std::optional<std::uint64_t> PasteboardFileReader::offsetOf(std::uint64_t object)
{
    unsigned char bytes[8];
    if (object >= m_objects || !read(m_table + object * m_offsetSize, bytes, m_offsetSize))
        return std::nullopt;
    std::uint64_t offset = number(bytes, m_offsetSize);
    if (offset < kHeaderSize || offset >= m_table)
        return std::nullopt;
    return offset;
}

// The marker, the length (from the marker or the integer after it) and
// where the contents start.
std::optional<PasteboardFileReader::Object> PasteboardFileReader::objectAt(std::uint64_t at)
{
    unsigned char marker = 0;
    if (!readObjectBytes(at, &marker, 1))
        return std::nullopt;
    Object object{marker, static_cast<std::uint64_t>(marker & 0xF), at + 1};
    if (object.length != 0xF)
        return object;
    unsigned char size = 0, bytes[8];
    if (!readObjectBytes(object.start, &size, 1) || size >> 4 != 0x1 || (size & 0xF) > 3)
        return std::nullopt;
    unsigned length = 1u << (size & 0xF);
    if (!readObjectBytes(object.start + 1, bytes, length))
        return std::nullopt;
    object.length = number(bytes, length);
    object.start += 1 + length;
    return object;
}

std::optional<std::vector<std::uint64_t>> PasteboardFileReader::refs(const Object& container, std::uint64_t count)
{
    if (container.start > m_table || count > (m_table - container.start) / m_refSize)
        return std::nullopt;
    std::vector<unsigned char> bytes(count * m_refSize);
    if (!readObjectBytes(container.start, bytes.data(), bytes.size()))
        return std::nullopt;
    std::vector<std::uint64_t> out(count);
    for (std::uint64_t i = 0; i < count; ++i)
        out[i] = number(bytes.data() + i * m_refSize, m_refSize);
    return out;
}

// A short ASCII key; nothing for anything else.
std::optional<std::string> PasteboardFileReader::asciiKey(std::uint64_t object)
{
    auto at = offsetOf(object);
    auto key = at ? objectAt(*at) : std::nullopt;
    if (!key || key->marker >> 4 != 0x5 || key->length > 16)
        return std::nullopt;
    std::string text(key->length, '\0');
    if (!readObjectBytes(key->start, text.data(), text.size()) || !isPlainType(text))
        return std::nullopt;
    return text;
}

std::optional<bool> PasteboardFileReader::persistentFlag()
{
    constexpr std::size_t kMaxKeys = 16;
    auto top = open();
    auto dictionary = top ? objectAt(*top) : std::nullopt;
    if (!dictionary || dictionary->marker >> 4 != 0xD || (dictionary->marker & 0xF) == 0xF ||
        dictionary->length > kMaxKeys)
        return std::nullopt;
    auto members = refs(*dictionary, 2 * dictionary->length);
    if (!members)
        return std::nullopt;
    static constexpr unsigned char kKey[] = {0x5A, 'p', 'e', 'r', 's', 'i', 's', 't', 'e', 'n', 't'};
    std::optional<bool> flag;
    for (std::size_t k = 0; k < dictionary->length; ++k) {
        unsigned char key[sizeof kKey];
        auto keyAt = offsetOf((*members)[k]);
        if (!keyAt || !readObjectBytes(*keyAt, key, sizeof key) || std::memcmp(key, kKey, sizeof key) != 0)
            continue;
        unsigned char value = 0;
        auto valueAt = offsetOf((*members)[dictionary->length + k]);
        // Which of two such keys counts is the whole read's business.
        if (flag || !valueAt || !readObjectBytes(*valueAt, &value, 1) || (value != 0x08 && value != 0x09))
            return std::nullopt;
        flag = value == 0x09;
    }
    return flag;
}

std::optional<std::pair<bool, std::vector<Pasteboard::Item>>> PasteboardFileReader::board()
{
    auto top = open();
    auto dictionary = top ? objectAt(*top) : std::nullopt;
    if (!dictionary || dictionary->marker >> 4 != 0xD || dictionary->length != 2)
        return std::nullopt;
    auto members = refs(*dictionary, 4);
    if (!members)
        return std::nullopt;
    std::optional<bool> persistent;
    std::optional<Object> list;
    for (std::size_t k = 0; k < 2; ++k) {
        auto key = asciiKey((*members)[k]);
        auto valueAt = offsetOf((*members)[2 + k]);
        if (!key || !valueAt)
            return std::nullopt;
        if (*key == "persistent" && !persistent) {
            unsigned char value = 0;
            if (!readObjectBytes(*valueAt, &value, 1) || (value != 0x08 && value != 0x09))
                return std::nullopt;
            persistent = value == 0x09;
        } else if (*key == "items" && !list) {
            list = objectAt(*valueAt);
            if (!list || list->marker >> 4 != 0xA)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    auto itemRefs = refs(*list, list->length);
    if (!itemRefs)
        return std::nullopt;
    // Objects a list names twice would be read twice: a file of ours never
    // does, and one that makes more of itself than it holds is left to the
    // whole read and its checks.
    std::uint64_t budget = m_table;
    auto take = [&budget](std::uint64_t length) {
        if (length > budget)
            return false;
        budget -= length;
        return true;
    };
    std::vector<Pasteboard::Item> items;
    items.reserve(itemRefs->size());
    for (std::uint64_t ref : *itemRefs) {
        auto at = offsetOf(ref);
        auto item = at ? objectAt(*at) : std::nullopt;
        if (!item || item->marker >> 4 != 0xA || item->length % 2 != 0)
            return std::nullopt;
        auto entries = refs(*item, item->length);
        if (!entries || !take(item->length))
            return std::nullopt;
        Pasteboard::Item entry;
        entry.reserve(entries->size() / 2);
        for (std::size_t i = 0; i < entries->size(); i += 2) {
            auto typeAt = offsetOf((*entries)[i]);
            auto type = typeAt ? objectAt(*typeAt) : std::nullopt;
            if (!type || type->marker >> 4 != 0x5 || type->length > m_table - std::min(type->start, m_table) ||
                !take(type->length))
                return std::nullopt;
            std::string name(type->length, '\0');
            if (!readObjectBytes(type->start, name.data(), name.size()) || !isPlainType(name))
                return std::nullopt;
            auto dataAt = offsetOf((*entries)[i + 1]);
            auto data = dataAt ? objectAt(*dataAt) : std::nullopt;
            if (!data || data->marker >> 4 != 0x4 || data->length > m_table - std::min(data->start, m_table) ||
                !take(data->length))
                return std::nullopt;
            Bytes bytes(data->length);
            if (!readObjectBytes(data->start, bytes.data(), bytes.size()))
                return std::nullopt;
            entry.emplace_back(std::move(name), std::move(bytes));
        }
        items.push_back(std::move(entry));
    }
    return std::pair{*persistent, std::move(items)};
}

void PasteboardFileWriter::marker(unsigned kind, std::uint64_t length)
{
    if (length < 0xF) {
        m_head += static_cast<char>(kind << 4 | length);
        return;
    }
    m_head += static_cast<char>(kind << 4 | 0xF);
    unsigned size = bytesFor(length);
    m_head += static_cast<char>(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3));
    appendNumber(m_head, length, size);
}

void PasteboardFileWriter::reference(std::uint64_t object) { appendNumber(m_head, object, m_refSize); }

bool PasteboardFileWriter::encode(bool persistent, const std::vector<std::vector<Entry>>& items)
{
    // The dictionary, its two keys, the flag and the item list, then each
    // item followed by its type names and data, in object order.
    std::uint64_t objects = 5;
    for (const auto& item : items) {
        objects += 1 + 2 * item.size();
        for (const auto& entry : item)
            if (!isPlainType(entry.first))
                return false;
    }
    m_head = "bplist00";
    m_blobs.clear();
    m_blobBytes = 0;
    m_tail.clear();
    m_refSize = bytesFor(objects);
    std::vector<std::uint64_t> offsets;
    offsets.reserve(objects);
    offsets.push_back(position());
    marker(0xD, 2);
    for (std::uint64_t object = 1; object <= 4; ++object)
        reference(object);
    offsets.push_back(position());
    marker(0x5, 10);
    m_head += "persistent";
    offsets.push_back(position());
    marker(0x5, 5);
    m_head += "items";
    offsets.push_back(position());
    m_head += static_cast<char>(persistent ? 0x09 : 0x08);
    offsets.push_back(position());
    marker(0xA, items.size());
    for (std::uint64_t object = 5; const auto& item : items) {
        reference(object);
        object += 1 + 2 * item.size();
    }
    for (const auto& item : items) {
        std::uint64_t self = offsets.size();
        offsets.push_back(position());
        marker(0xA, 2 * item.size());
        for (std::uint64_t i = 1; i <= 2 * item.size(); ++i)
            reference(self + i);
        for (const auto& [type, data] : item) {
            offsets.push_back(position());
            marker(0x5, type.size());
            m_head += type;
            offsets.push_back(position());
            marker(0x4, data.size());
            if (data.size() > kInlineData) {
                m_blobs.push_back({m_head.size(), data});
                m_blobBytes += data.size();
            } else {
                m_head.append(reinterpret_cast<const char*>(data.data()), data.size());
            }
        }
    }
    std::uint64_t table = position();
    unsigned offsetSize = bytesFor(table);
    m_tail.reserve(offsets.size() * offsetSize + kTrailerSize);
    for (std::uint64_t offset : offsets)
        appendNumber(m_tail, offset, offsetSize);
    m_tail.append(6, '\0');
    m_tail += static_cast<char>(offsetSize);
    m_tail += static_cast<char>(m_refSize);
    appendNumber(m_tail, objects, 8);
    appendNumber(m_tail, 0, 8);
    appendNumber(m_tail, table, 8);
    return true;
}

std::vector<std::string_view> PasteboardFileWriter::parts() const
{
    std::vector<std::string_view> out;
    out.reserve(2 * m_blobs.size() + 2);
    std::size_t from = 0;
    for (const Blob& blob : m_blobs) {
        out.emplace_back(m_head.data() + from, blob.first - from);
        out.emplace_back(reinterpret_cast<const char*>(blob.data.data()), blob.data.size());
        from = blob.first;
    }
    out.emplace_back(m_head.data() + from, m_head.size() - from);
    out.emplace_back(m_tail);
    return out;
}

}
