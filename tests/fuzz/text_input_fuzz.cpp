// Links: pf_controls pf_ui pf_graphics pf_foundation
// Plays a sequence of typed text, committed and marked input-method text,
// backspaces and caret moves into a text buffer. After every step the text
// stays valid UTF-8, its length is what it counts, and the caret sits inside
// it and never between the halves of a surrogate pair.
#include "platform/controls/TextBuffer.h"
#include "platform/foundation/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void check(const pf::TextBuffer& buffer)
{
    const std::string& text = buffer.text();
    if (!pf::isValidUtf8(text) || pf::utf16Length(text) != buffer.length() || buffer.caret() > buffer.length())
        std::abort();
    std::u16string units = pf::toUtf16(text);
    std::size_t c = buffer.caret();
    if (c > 0 && c < units.size() && units[c] >= 0xDC00 && units[c] <= 0xDFFF && units[c - 1] >= 0xD800
        && units[c - 1] <= 0xDBFF)
        std::abort();
    if (buffer.hasMarkedText()) {
        pf::TextRange marked = buffer.markedRange();
        if (marked.location + marked.length > pf::utf16Length(buffer.displayText()))
            std::abort();
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    pf::TextBuffer buffer;
    std::size_t i = 0;
    while (i < size) {
        std::uint8_t op = data[i++];
        std::size_t length = i < size ? data[i++] % 12 : 0;
        std::string bytes(reinterpret_cast<const char*>(data + i), std::min(length, size - i));
        i += bytes.size();
        switch (op % 8) {
        case 0: buffer.insert(bytes); break;
        case 1: buffer.setMarkedText(bytes); break;
        case 2: {
            pf::TextRange r = buffer.deletionRange();
            buffer.remove(r);
            break;
        }
        case 3: buffer.moveCaretLeft(); break;
        case 4: buffer.moveCaretRight(); break;
        case 5: buffer.setCaret(length * 3); break;
        case 6: buffer.setText(bytes); break;
        case 7: buffer.remove({length, static_cast<std::size_t>(op)}); break;
        }
        check(buffer);
    }
    return 0;
}
