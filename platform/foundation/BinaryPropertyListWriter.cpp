#include "platform/foundation/BinaryPropertyListWriter.h"

#include "platform/foundation/Text.h"

#include <bit>
#include <cstring>

namespace pf {

namespace {

void appendNumber(std::string& out, std::uint64_t value, unsigned size)
{
    for (unsigned i = size; i-- > 0;)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

unsigned bytesFor(std::uint64_t value)
{
    return value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFF ? 4 : 8;
}

// The integer object: marker 0x1N, then 2^N big-endian bytes.
void appendInteger(std::string& out, std::uint64_t value)
{
    unsigned size = bytesFor(value);
    out += static_cast<char>(0x10 | std::countr_zero(size));
    appendNumber(out, value, size);
}

}

BinaryPropertyListWriter::BinaryPropertyListWriter(unsigned refSize) : m_refSize(refSize) {}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::begin()
{
    m_offsets.push_back(m_objects.size());
    return m_offsets.size() - 1;
}

void BinaryPropertyListWriter::marker(unsigned kind, std::uint64_t length)
{
    if (length < 0xF) {
        m_objects += static_cast<char>(kind << 4 | length);
        return;
    }
    m_objects += static_cast<char>(kind << 4 | 0xF);
    appendInteger(m_objects, length);
}

void BinaryPropertyListWriter::reference(Ref object) { appendNumber(m_objects, object, m_refSize); }

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::string(std::string_view utf8)
{
    Ref ref = begin();
    bool ascii = true;
    for (unsigned char c : utf8)
        ascii = ascii && c < 0x80;
    if (ascii) {
        marker(0x5, utf8.size());
        m_objects += utf8;
        return ref;
    }
    std::u16string units = toUtf16(utf8);
    marker(0x6, units.size());
    for (char16_t unit : units)
        appendNumber(m_objects, unit, 2);
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::integer(std::uint64_t bits)
{
    Ref ref = begin();
    appendInteger(m_objects, bits);
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::real(double value)
{
    Ref ref = begin();
    m_objects += static_cast<char>(0x23);
    appendNumber(m_objects, std::bit_cast<std::uint64_t>(value), 8);
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::boolean(bool value)
{
    Ref ref = begin();
    m_objects += static_cast<char>(value ? 0x09 : 0x08);
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::data(std::span<const std::uint8_t> bytes)
{
    Ref ref = begin();
    marker(0x4, bytes.size());
    m_objects.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::array(std::span<const Ref> members)
{
    Ref ref = begin();
    marker(0xA, members.size());
    for (Ref member : members)
        reference(member);
    return ref;
}

BinaryPropertyListWriter::Ref BinaryPropertyListWriter::dictionary(std::span<const Ref> keys, std::span<const Ref> values)
{
    Ref ref = begin();
    marker(0xD, keys.size());
    for (Ref key : keys)
        reference(key);
    for (Ref value : values)
        reference(value);
    return ref;
}

std::optional<Bytes> BinaryPropertyListWriter::finish(Ref top) const
{
    if (m_refSize < 8 && m_offsets.size() > (std::uint64_t{1} << (8 * m_refSize)))
        return std::nullopt;
    std::uint64_t table = m_objects.size();
    unsigned offsetSize = bytesFor(table);
    std::string tail;
    tail.reserve(m_offsets.size() * offsetSize + 32);
    for (std::uint64_t offset : m_offsets)
        appendNumber(tail, offset, offsetSize);
    tail.append(6, '\0');
    tail += static_cast<char>(offsetSize);
    tail += static_cast<char>(m_refSize);
    appendNumber(tail, m_offsets.size(), 8);
    appendNumber(tail, top, 8);
    appendNumber(tail, table, 8);
    Bytes out(m_objects.size() + tail.size());
    std::memcpy(out.data(), m_objects.data(), m_objects.size());
    std::memcpy(out.data() + m_objects.size(), tail.data(), tail.size());
    return out;
}

}
