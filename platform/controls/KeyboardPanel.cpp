#include "platform/controls/KeyboardPanel.h"

#include "platform/controls/Control.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"

#include <string>
#include <vector>

namespace pf {

namespace {

const char* const kLetterRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
constexpr double kTopMargin = 6;
constexpr double kCapGap = 3; // around each cap, inside its slot

class KeyCap final : public Control {
public:
    KeyCap(KeyEvent event, std::string label)
        : m_event(std::move(event))
        , m_label(std::move(label))
    {
        addAction([](Control& control) { static_cast<KeyCap&>(control).type(); }, ControlEvent::TouchUpInside);
    }

    bool drawsContent() const override { return true; }
    std::string textContent() const override { return m_label; }

    void draw(GraphicsContext& context, const Rect&) override
    {
        Rect cap = bounds().insetBy(kCapGap, kCapGap);
        context.fillRoundedRect(cap, 4, isHighlighted() ? Color::fromRgbHex(0xadb3bc) : Color::whiteColor());
        if (m_event.kind == KeyEvent::Kind::Backspace) {
            drawBackspace(context, cap);
            return;
        }
        TextStyle style;
        style.font = Font::system(m_event.kind == KeyEvent::Kind::Text && m_event.text != " " ? 20 : 15);
        style.alignment = TextAlignment::Center;
        style.numberOfLines = 1;
        // The box is the line's own height, centred in the cap: a box cut to
        // the letters' size would clip the tails of q, y, p, g and j.
        double line = TextMeasurer::system().measure(m_label, style, 0).height;
        drawText(context, m_label, Rect(cap.x(), cap.midY() - line / 2, cap.width(), line), style);
    }

private:
    void type()
    {
        // Through the screen's queue, so the key lands after any typed before it.
        Screen::main().postKeyEvent(m_event);
        Screen::main().deliverInput();
    }

    // A left-pointing tag with a cross in it, the usual backspace sign.
    static void drawBackspace(GraphicsContext& context, const Rect& cap)
    {
        double h = std::min(cap.height() * 0.4, 18.0), w = h * 1.5;
        Rect sign(cap.midX() - w / 2, cap.midY() - h / 2, w, h);
        Path tag;
        tag.moveTo({sign.x(), sign.midY()});
        tag.lineTo({sign.x() + h / 2, sign.y()});
        tag.lineTo({sign.maxX(), sign.y()});
        tag.lineTo({sign.maxX(), sign.maxY()});
        tag.lineTo({sign.x() + h / 2, sign.maxY()});
        tag.close();
        context.strokePath(tag, Color::black(), 1.5);
        double cx = sign.x() + h / 2 + (w - h / 2) / 2, r = h * 0.2;
        Path cross;
        cross.moveTo({cx - r, sign.midY() - r});
        cross.lineTo({cx + r, sign.midY() + r});
        cross.moveTo({cx + r, sign.midY() - r});
        cross.lineTo({cx - r, sign.midY() + r});
        context.strokePath(cross, Color::black(), 1.5);
    }

    KeyEvent m_event;
    std::string m_label;
};

}

KeyboardPanel::KeyboardPanel(const Rect& frame)
    : View(frame)
{
}

std::shared_ptr<KeyboardPanel> KeyboardPanel::create(const Rect& frame)
{
    auto panel = std::make_shared<KeyboardPanel>(frame);
    for (const char* row : kLetterRows)
        for (const char* c = row; *c; ++c)
            panel->addSubview(std::make_shared<KeyCap>(KeyEvent{KeyEvent::Kind::Text, std::string(1, *c)}, std::string(1, *c)));
    panel->addSubview(std::make_shared<KeyCap>(KeyEvent{KeyEvent::Kind::Backspace, {}}, "⌫"));
    panel->addSubview(std::make_shared<KeyCap>(KeyEvent{KeyEvent::Kind::Text, " "}, "空格"));
    panel->addSubview(std::make_shared<KeyCap>(KeyEvent{KeyEvent::Kind::Return, {}}, "换行"));
    // Laid out now: a tap may come before the screen's next layout pass.
    panel->layoutSubviews();
    return panel;
}

void KeyboardPanel::layoutSubviews()
{
    // Subviews in the order made: the letters row by row, then backspace,
    // space and return.
    Rect b = bounds();
    double keyWidth = b.width() / 10, keyHeight = (b.height() - 2 * kTopMargin) / 4;
    const std::vector<ViewRef>& caps = subviews();
    std::size_t next = 0;
    for (int r = 0; r < 3; ++r) {
        std::size_t count = std::char_traits<char>::length(kLetterRows[r]);
        double inset = (b.width() - count * keyWidth) / 2;
        for (std::size_t k = 0; k < count && next < caps.size(); ++k)
            caps[next++]->setFrame(Rect(inset + k * keyWidth, kTopMargin + r * keyHeight, keyWidth, keyHeight));
    }
    if (next + 3 > caps.size())
        return;
    double bottom = kTopMargin + 3 * keyHeight;
    caps[next++]->setFrame(Rect(b.width() - 1.5 * keyWidth, kTopMargin + 2 * keyHeight, 1.5 * keyWidth, keyHeight));
    caps[next++]->setFrame(Rect(b.width() * 0.25, bottom, b.width() * 0.5, keyHeight));
    caps[next++]->setFrame(Rect(b.width() * 0.75, bottom, b.width() * 0.25, keyHeight));
}

}
