#include "platform/controls/AlertView.h"

#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kWidth = 270;
constexpr double kButtonHeight = 44;
constexpr double kPadding = 16;

// Shown alerts keep themselves alive here.
std::vector<std::shared_ptr<AlertView>>& shownAlerts()
{
    static std::vector<std::shared_ptr<AlertView>> alerts;
    return alerts;
}
}

AlertView::AlertView(std::string title, std::string message, const std::shared_ptr<AlertViewDelegate>& delegate,
                     const std::string& cancelButtonTitle, const std::vector<std::string>& otherButtonTitles)
    : m_title(std::move(title))
    , m_message(std::move(message))
    , m_delegate(delegate)
{
    if (!cancelButtonTitle.empty()) {
        m_buttonTitles.push_back(cancelButtonTitle);
        m_cancelIndex = 0;
    }
    for (auto& t : otherButtonTitles)
        m_buttonTitles.push_back(t);
}

int AlertView::addButtonWithTitle(const std::string& title)
{
    m_buttonTitles.push_back(title);
    return numberOfButtons() - 1;
}

std::string AlertView::buttonTitleAtIndex(int index) const
{
    return index >= 0 && index < numberOfButtons() ? m_buttonTitles[index] : std::string();
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts()
{
    return shownAlerts();
}

void AlertView::build()
{
    for (auto& v : std::vector<ViewRef>(subviews()))
        v->removeFromSuperview();
    setBackgroundColor(Color::white(0.97));
    setCornerRadius(8);
    setClipsToBounds(true);
    double y = kPadding;
    auto addLabel = [&](const std::string& text, const Font& font) {
        if (text.empty())
            return;
        auto label = std::make_shared<Label>();
        label->setText(text);
        label->setFont(font);
        label->setNumberOfLines(0);
        label->setTextAlignment(TextAlignment::Center);
        Size s = label->sizeThatFits({kWidth - 2 * kPadding, 0});
        label->setFrame(Rect(kPadding, y, kWidth - 2 * kPadding, s.height));
        addSubview(label);
        y += s.height + 6;
    };
    addLabel(m_title, Font::boldSystem(17));
    addLabel(m_message, Font::system(14));
    y += kPadding - 6;
    // Two buttons share a row, as the cancel button beside the other; more stack.
    bool row = numberOfButtons() == 2;
    for (int i = 0; i < numberOfButtons(); ++i) {
        auto button = std::make_shared<Button>();
        button->setTitle(m_buttonTitles[i], ControlStates::Normal);
        button->setTitleColor(Color::fromRgbHex(0x007aff), ControlStates::Normal);
        button->setTitleFont(i == m_cancelIndex ? Font::boldSystem(17) : Font::system(17));
        button->setBackgroundColor(Color::white(0.97));
        Rect frame = row ? Rect(i * kWidth / 2, y, kWidth / 2, kButtonHeight) : Rect(0, y + i * kButtonHeight, kWidth, kButtonHeight);
        button->setFrame(frame.insetBy(0.25, 0.25));
        std::weak_ptr<View> weakSelf = self();
        button->addAction([weakSelf, i](Control&) {
            if (auto alert = std::static_pointer_cast<AlertView>(weakSelf.lock()))
                alert->buttonTapped(i);
        }, ControlEvent::TouchUpInside);
        addSubview(button);
    }
    y += row ? kButtonHeight : numberOfButtons() * kButtonHeight;
    Rect screen = Screen::main().bounds();
    setFrame(Rect((screen.width() - kWidth) / 2, (screen.height() - y) / 2, kWidth, y));
}

void AlertView::show()
{
    if (m_window)
        return;
    auto me = std::static_pointer_cast<AlertView>(weak_from_this().lock());
    if (!me)
        return; // only shared alerts can keep themselves alive
    build();
    m_window = Window::create();
    m_window->setWindowLevel(WindowLevel::Alert);
    m_window->setBackgroundColor(Color::black().withAlpha(0.4));
    m_window->addSubview(me);
    m_window->setHidden(false);
    shownAlerts().push_back(me);
}

bool AlertView::performBack()
{
    if (!m_window)
        return false;
    if (m_cancelIndex >= 0)
        buttonTapped(m_cancelIndex);
    return true;
}

void AlertView::buttonTapped(int index)
{
    auto keep = self();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void AlertView::dismissWithClickedButtonIndex(int index, bool)
{
    if (!m_window)
        return;
    auto keep = self();
    removeFromSuperview();
    m_window->setHidden(true);
    m_window = nullptr;
    std::erase_if(shownAlerts(), [this](const std::shared_ptr<AlertView>& a) { return a.get() == this; });
    if (auto delegate = m_delegate.lock())
        delegate->alertViewDidDismissWithButtonIndex(*this, index);
}

}
