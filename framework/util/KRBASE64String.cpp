#include "framework/util/KRBASE64Decode.h"
#include "framework/util/KRBASE64String.h"

#include "framework/util/byte_buffer.h"
#include "framework/util/text_helpers.h"

#include <algorithm>
#include <memory>

namespace {

struct BufferFree {
    void operator()(byte_buffer* buffer) const { byte_buffer_free(buffer); }
};
using Buffer = std::unique_ptr<byte_buffer, BufferFree>;

std::string encode(const void* bytes, std::size_t length)
{
    if (length == 0)
        return {};
    std::size_t capacity = std::max<std::size_t>(512, length / 3 * 4 + length / 57 + 8);
    Buffer buffer(byte_buffer_create(static_cast<uint32_t>(std::min<std::size_t>(capacity, UINT32_MAX)), 1024));
    if (!buffer || !base64_encode(bytes, static_cast<int64_t>(length), buffer.get()))
        return {};
    return std::string(reinterpret_cast<const char*>(buffer->data), buffer->length);
}

}

std::string krBASE64String(const pf::Bytes& data)
{
    return encode(data.data(), data.size());
}

std::string krBASE64String(std::string_view text)
{
    return encode(text.data(), text.size());
}

pf::Bytes krBASE64Decode(std::string_view text)
{
    std::size_t capacity = std::max<std::size_t>(512, text.size() / 4 * 3 + 1);
    Buffer buffer(byte_buffer_create(static_cast<uint32_t>(std::min<std::size_t>(capacity, UINT32_MAX)), 1024));
    if (!buffer)
        return {};
    // The decoder reads a C string; an embedded NUL ends the text there.
    std::string terminated(text);
    base64_decode(terminated.c_str(), buffer.get());
    return pf::Bytes(buffer->data, buffer->data + buffer->length);
}
