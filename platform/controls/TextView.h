#pragma once

// A scrolling, multi-line text editor. It edits like a text field (UTF-16
// caret, no selection, marked text underlined at the caret until
// committed), but the return key inserts a line break, and the content
// grows with the text so the view scrolls to keep the caret in sight.
// Touching it starts editing when the delegate agrees.
//
// Main thread only. The delegate is not retained; every callback is optional.

#include "platform/controls/ScrollView.h"
#include "platform/controls/TextEditing.h"
#include "platform/graphics/Text.h"

#include <string>

namespace pf {

class TextView;

class TextViewDelegate : public ScrollViewDelegate {
public:
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) {}
    virtual bool textViewShouldChangeTextInRange(TextView&, TextRange, const std::string&) { return true; }
    virtual void textViewDidChange(TextView&) {}
};

class TextView : public ScrollView, public TextEditing {
public:
    explicit TextView(const Rect& frame = {});

    // The text view's delegate is its scroll-view delegate.
    std::shared_ptr<TextViewDelegate> textDelegate() const;

    const std::string& text() const { return m_buffer.text(); }
    void setText(const std::string& text);
    const Font& font() const { return m_style.font; }
    void setFont(const Font& font);
    const Color& textColor() const { return m_style.color; }
    void setTextColor(const Color& color);
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable);

    bool beginEditing();
    bool endEditing(bool force = false);

    void insertText(const std::string& utf8) override;
    void deleteBackward() override;
    void setMarkedText(const std::string& utf8) override;
    bool canBecomeFirstResponder() const override;
    bool wantsTextInput() const override { return true; }
    // The caret in content coordinates.
    Rect caretRect() const;

    using ScrollView::setContentOffset;
    void setContentOffset(Point offset) override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void layoutSubviews() override;
    void touchesEnded(const TouchSet& touches) override;
    std::string textContent() const override { return m_buffer.text(); }

protected:
    // Focus given by code begins editing (when the delegate agrees); focus
    // taken elsewhere (another control, leaving the window) ends it.
    void didBecomeFirstResponder() override { focusGiven(); }
    void didResignFirstResponder() override { focusTaken(); }

    bool canEdit() const override { return m_editable; }
    bool shouldBeginEditing() override;
    void didBeginEditing() override;
    bool shouldEndEditing() override;
    void didEndEditing() override;
    bool shouldChangeText(TextRange range, const std::string& text) override;
    // The content grows with the text and scrolls to the caret.
    void textChanged() override;

private:
    void updateContentSize();

    TextStyle m_style{Font::system(17), Color::black(), TextAlignment::Left, LineBreakMode::WordWrap, 0, 0};
    bool m_editable = true;
};

}
