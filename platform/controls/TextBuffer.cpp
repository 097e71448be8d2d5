#include "platform/controls/TextBuffer.h"

#include "platform/foundation/Text.h"

#include <algorithm>

namespace pf {

namespace {
bool isLowSurrogateAt(const std::u16string& units, std::size_t index)
{
    return index < units.size() && units[index] >= 0xDC00 && units[index] <= 0xDFFF;
}
}

void TextBuffer::setText(const std::string& utf8)
{
    m_text = isValidUtf8(utf8) ? utf8 : fromUtf16(toUtf16(utf8));
    m_length = utf16Length(m_text);
    m_caret = m_length;
    m_marked.clear();
}

std::size_t TextBuffer::snap(std::size_t index) const
{
    index = std::min(index, m_length);
    if (index == 0 || index == m_length)
        return index;
    // Only the unit at the index matters: a low surrogate there means the middle of a pair.
    std::u16string around = toUtf16(utf16Substring(m_text, index, 1));
    std::u16string before = toUtf16(utf16Substring(m_text, index - 1, 1));
    bool middle = !around.empty() && around[0] >= 0xDC00 && around[0] <= 0xDFFF && !before.empty()
        && before[0] >= 0xD800 && before[0] <= 0xDBFF;
    return middle ? index - 1 : index;
}

void TextBuffer::setCaret(std::size_t index)
{
    m_caret = snap(index);
}

bool TextBuffer::moveCaretLeft()
{
    TextRange r = deletionRange();
    if (r.length == 0)
        return false;
    m_caret = r.location;
    return true;
}

bool TextBuffer::moveCaretRight()
{
    if (m_caret >= m_length)
        return false;
    std::u16string units = toUtf16(utf16Substring(m_text, m_caret, 2));
    m_caret += units.size() == 2 && isLowSurrogateAt(units, 1) && units[0] >= 0xD800 && units[0] <= 0xDBFF ? 2 : 1;
    return true;
}

TextRange TextBuffer::deletionRange() const
{
    if (m_caret == 0)
        return {0, 0};
    std::size_t from = m_caret >= 2 ? m_caret - 2 : 0;
    std::u16string units = toUtf16(utf16Substring(m_text, from, m_caret - from));
    bool pair = units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF && isLowSurrogateAt(units, 1);
    return pair ? TextRange{m_caret - 2, 2} : TextRange{m_caret - 1, 1};
}

bool TextBuffer::insert(const std::string& utf8)
{
    if (!isValidUtf8(utf8))
        return false;
    m_marked.clear();
    std::size_t at = utf8OffsetOfUtf16Index(m_text, m_caret);
    m_text.insert(at, utf8);
    std::size_t added = utf16Length(utf8);
    m_length += added;
    m_caret += added;
    return true;
}

void TextBuffer::remove(TextRange range)
{
    std::size_t start = snap(range.location);
    std::size_t end = snap(std::min(m_length, range.location + std::min(range.length, m_length)));
    if (end <= start) {
        m_caret = start;
        return;
    }
    std::size_t from = utf8OffsetOfUtf16Index(m_text, start);
    std::size_t to = utf8OffsetOfUtf16Index(m_text, end);
    m_text.erase(from, to - from);
    m_length -= end - start;
    m_caret = start;
}

bool TextBuffer::setMarkedText(const std::string& utf8)
{
    if (!isValidUtf8(utf8))
        return false;
    m_marked = utf8;
    return true;
}

std::string TextBuffer::displayText() const
{
    if (m_marked.empty())
        return m_text;
    std::string shown = m_text;
    shown.insert(utf8OffsetOfUtf16Index(m_text, m_caret), m_marked);
    return shown;
}

TextRange TextBuffer::markedRange() const
{
    return m_marked.empty() ? TextRange{m_caret, 0} : TextRange{m_caret, utf16Length(m_marked)};
}

}
