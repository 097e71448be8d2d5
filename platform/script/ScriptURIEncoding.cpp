#include "platform/script/ScriptURIEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace pf::script {

namespace {

constexpr const char* hexDigits = "0123456789ABCDEF";

// The ASCII bytes encodeURIComponent leaves as they are.
constexpr auto unreservedInURIComponent = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 128; ++c)
        table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                   c == '_' || c == '.' || c == '!' || c == '~' || c == '*' || c == '\'' || c == '(' || c == ')';
    return table;
}();

// What each byte becomes in encodeURIComponent's output (bytes beyond ASCII
// are never looked up): itself, or "%" and two hex digits. Written four bytes
// at a time with no branch on the byte, which text mixing letters and blanks
// would mispredict again and again.
struct EncodedByte {
    char bytes[4];
    unsigned length;
};
constexpr auto encodedBytes = [] {
    std::array<EncodedByte, 256> table{};
    for (int c = 0; c < 256; ++c) {
        if (unreservedInURIComponent[c])
            table[c] = {{static_cast<char>(c), 0, 0, 0}, 1};
        else
            table[c] = {{'%', "0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15], 0}, 3};
    }
    return table;
}();

// Writes the encoding of ASCII `text` at `out`, which has room for
// 3 * length + 1 bytes; answers the end.
char* writeEncoded(char* out, const unsigned char* text, std::size_t length)
{
    for (std::size_t k = 0; k < length; ++k) {
        const EncodedByte& encoded = encodedBytes[text[k]];
        std::memcpy(out, encoded.bytes, 4);
        out += encoded.length;
    }
    return out;
}

// Whether all `length` bytes at `text` are ASCII, looked at eight at a time.
bool isAscii(const unsigned char* text, std::size_t length)
{
    std::uint64_t high = 0;
    std::size_t k = 0;
    for (; k + 8 <= length; k += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text + k, 8);
        high |= word;
    }
    for (; k < length; ++k)
        high |= text[k];
    return (high & 0x8080808080808080u) == 0;
}

// The engine's own, for text beyond ASCII (and its errors for broken
// surrogates).
duk_ret_t builtinEncode(duk_context* ctx)
{
    duk_push_heap_stash(ctx);
    duk_get_prop_string(ctx, -1, builtinEncodeKey);
    duk_dup(ctx, 0);
    duk_call(ctx, 1);
    return 1;
}

duk_ret_t encodeURIComponentJoinGeneral(duk_context* ctx)
{
    duk_idx_t count = duk_get_top(ctx);
    // Values beyond ASCII are encoded by the engine's own in place; the
    // mask marks them (and everything, past its width) as final text.
    constexpr duk_idx_t maskWidth = 64;
    std::uint64_t encodedInPlace = 0;
    duk_size_t most = 0; // the length if every ASCII value byte is escaped
    for (duk_idx_t i = 0; i < count; ++i) {
        duk_size_t length = 0;
        const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, i, &length));
        if (i % 2 == 0) {
            most += length;
            continue;
        }
        bool ascii = i < maskWidth;
        for (duk_size_t k = 0; k < length && ascii; ++k)
            ascii = text[k] < 0x80;
        if (ascii) {
            most += 3 * length;
            continue;
        }
        duk_push_heap_stash(ctx);
        duk_get_prop_string(ctx, -1, builtinEncodeKey);
        duk_dup(ctx, i);
        duk_call(ctx, 1);
        duk_replace(ctx, i);
        duk_pop(ctx);
        if (i < maskWidth)
            encodedInPlace |= std::uint64_t(1) << i;
        duk_get_lstring(ctx, i, &length);
        most += length;
    }
    // The arguments' bytes stay put while they sit on the stack. A short
    // result is written on the stack (a plain array: nothing to unwind)
    // and pushed as the string at once; a longer one is written into an
    // engine buffer that is then cut to its length.
    char local[1024 + 4];
    bool onStack = most + 4 <= sizeof local;
    auto* start = onStack ? local : static_cast<char*>(duk_push_dynamic_buffer(ctx, most + 4));
    char* out = start;
    for (duk_idx_t i = 0; i < count; ++i) {
        duk_size_t length = 0;
        const auto* text = reinterpret_cast<const unsigned char*>(duk_get_lstring(ctx, i, &length));
        if (i % 2 == 0 || i >= maskWidth || (encodedInPlace >> i & 1)) {
            std::memcpy(out, text, length);
            out += length;
        } else {
            out = writeEncoded(out, text, length);
        }
    }
    auto written = static_cast<duk_size_t>(out - start);
    if (onStack) {
        duk_push_lstring(ctx, local, written);
    } else {
        duk_resize_buffer(ctx, -1, written);
        duk_buffer_to_string(ctx, -1);
    }
    return 1;
}

}

// The engine's own encodeURIComponent for everything but plain ASCII,
// which it encodes several times slower than this loop; every native
// call from the SDK's scripts encodes its arguments. No C++ object lives
// across the engine calls here, which may throw.
duk_ret_t encodeURIComponent(duk_context* ctx)
{
    duk_set_top(ctx, 1);
    duk_size_t length = 0;
    const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, 0, &length));
    // One pass: a short result is written on the stack as the text is
    // read (a plain array: nothing to unwind), a longer one is measured
    // first and written into an engine buffer. The string's bytes stay
    // put while it sits at index 0.
    char local[512];
    duk_size_t written = 0;
    bool changed = false;
    for (duk_size_t i = 0; i < length; ++i) {
        unsigned char c = text[i];
        if (c >= 0x80)
            return builtinEncode(ctx);
        if (unreservedInURIComponent[c]) {
            if (written < sizeof local)
                local[written] = static_cast<char>(c);
            written += 1;
        } else {
            if (written + 3 <= sizeof local) {
                local[written] = '%';
                local[written + 1] = hexDigits[c >> 4];
                local[written + 2] = hexDigits[c & 15];
            }
            written += 3;
            changed = true;
        }
    }
    if (!changed)
        return 1;
    if (written <= sizeof local) {
        duk_push_lstring(ctx, local, written);
        return 1;
    }
    auto* out = static_cast<char*>(duk_push_fixed_buffer(ctx, written));
    for (duk_size_t i = 0; i < length; ++i) {
        unsigned char c = text[i];
        if (unreservedInURIComponent[c]) {
            *out++ = static_cast<char>(c);
        } else {
            *out++ = '%';
            *out++ = hexDigits[c >> 4];
            *out++ = hexDigits[c & 15];
        }
    }
    duk_buffer_to_string(ctx, -1);
    return 1;
}

// encodeURIComponentJoin(text, value, text, value, ..., text): the
// arguments joined as texts, each one at an odd position passed through
// encodeURIComponent first; what "text + encodeURIComponent(value) +
// text ..." answers, with one string made instead of one per piece.
// Arguments are converted left to right, each value encoded before the
// next is converted, so a conversion or encoding that throws stops where
// the script's own expression would.
duk_ret_t encodeURIComponentJoin(duk_context* ctx)
{
    // The common case, a short result of ASCII values, in one pass:
    // each argument converted, checked and written as it is read.
    // Anything else starts over on the general path below, where the
    // arguments already converted are texts and convert to themselves.
    char local[1024];
    char* out = local;
    duk_idx_t count = duk_get_top(ctx);
    for (duk_idx_t i = 0;; ++i) {
        if (i == count) {
            duk_push_lstring(ctx, local, static_cast<duk_size_t>(out - local));
            return 1;
        }
        duk_size_t length = 0;
        const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, i, &length));
        auto room = static_cast<std::size_t>(local + sizeof local - out);
        if (i % 2 == 0) {
            if (length > room)
                break;
            std::memcpy(out, text, length);
            out += length;
            continue;
        }
        // Four bytes written per byte read, of which up to three count.
        if (length > room / 4 || !isAscii(text, length))
            break;
        out = writeEncoded(out, text, length);
    }
    return encodeURIComponentJoinGeneral(ctx);
}

}
