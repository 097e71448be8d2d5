#include "platform/controls/TextBuffer.h"

#include "platform/foundation/Text.h"

#include <algorithm>

namespace pf {

namespace {
bool isLowSurrogateAt(const std::u16string& units, std::size_t index)
{
    return index < units.size() && units[index] >= 0xDC00 && units[index] <= 0xDFFF;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
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
    std::u16string units = toUtf16(m_text);
    bool middle = isLowSurrogateAt(units, index) && isHighSurrogate(units[index - 1]);
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
    std::u16string units = toUtf16(m_text);
    m_caret += isHighSurrogate(units[m_caret]) && isLowSurrogateAt(units, m_caret + 1) ? 2 : 1;
    return true;
}

TextRange TextBuffer::deletionRange() const
{
    if (m_caret == 0)
        return {0, 0};
    std::u16string units = toUtf16(m_text);
    bool pair = m_caret >= 2 && isLowSurrogateAt(units, m_caret - 1) && isHighSurrogate(units[m_caret - 2]);
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

bool TextBuffer::deleteBackwardInMarkedText()
{
    if (m_marked.empty())
        return false;
    std::size_t end = m_marked.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(m_marked[end]) & 0xC0) == 0x80)
        --end;
    m_marked.erase(end);
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
