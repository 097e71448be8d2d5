#pragma once

// The text a text control edits: valid UTF-8, a caret counted in UTF-16
// units that always sits between two characters (never inside a surrogate
// pair), no selection, and the input method's marked text, which shows at
// the caret until it is committed or cancelled. Input that is not valid
// UTF-8 is dropped.
//
// A plain value; its owner's thread.

#include <cstddef>
#include <string>

namespace pf {

struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
    bool operator==(const TextRange&) const = default;
};

class TextBuffer {
public:
    const std::string& text() const { return m_text; }
    // Replaces the text, drops the marked text and puts the caret at the end.
    void setText(const std::string& utf8);
    std::size_t length() const { return m_length; }
    std::size_t caret() const { return m_caret; }
    // Clamped to the text and moved off a surrogate pair's middle.
    void setCaret(std::size_t index);
    // By whole characters; false at either end.
    bool moveCaretLeft();
    bool moveCaretRight();

    // The range an insertion at the caret replaces (empty: nothing).
    TextRange insertionRange() const { return {m_caret, 0}; }
    // The character before the caret, as deleteBackward would remove it.
    TextRange deletionRange() const;
    // Inserts at the caret and moves the caret after it; commits and
    // replaces any marked text. False for invalid UTF-8.
    bool insert(const std::string& utf8);
    // Removes the range and puts the caret at its start.
    void remove(TextRange range);

    const std::string& markedText() const { return m_marked; }
    bool hasMarkedText() const { return !m_marked.empty(); }
    // Empty cancels the composition. False for invalid UTF-8.
    bool setMarkedText(const std::string& utf8);
    // A backspace during a composition shortens the marked text by one
    // character; false when there is none.
    bool deleteBackwardInMarkedText();
    // The text as shown: the marked text sits at the caret.
    std::string displayText() const;
    // The marked part of displayText(), in UTF-16 units.
    TextRange markedRange() const;

private:
    std::size_t snap(std::size_t index) const;

    std::string m_text;
    std::size_t m_length = 0;
    std::size_t m_caret = 0;
    std::string m_marked;
};

}
