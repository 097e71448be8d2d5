#include "platform/controls/ActionSheet.h"

#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace pf {

namespace {
constexpr double kButtonHeight = 46;
constexpr double kGap = 8;
constexpr double kSlide = 0.3;

// The panel holding the title and the buttons; touches on it stay there.
class SheetPanel final : public View {
public:
    using View::View;
    void touchesEnded(const TouchSet&) override {}
};
}

ActionSheet::ActionSheet(std::string title, const std::shared_ptr<ActionSheetDelegate>& delegate,
                         const std::string& cancelButtonTitle, const std::string& destructiveButtonTitle,
                         const std::vector<std::string>& otherButtonTitles)
    : m_title(std::move(title))
    , m_delegate(delegate)
{
    if (!destructiveButtonTitle.empty()) {
        m_destructiveIndex = 0;
        m_buttonTitles.push_back(destructiveButtonTitle);
    }
    for (auto& t : otherButtonTitles)
        m_buttonTitles.push_back(t);
    if (!cancelButtonTitle.empty()) {
        m_cancelIndex = numberOfButtons();
        m_buttonTitles.push_back(cancelButtonTitle);
    }
}

std::string ActionSheet::buttonTitleAtIndex(int index) const
{
    return index >= 0 && index < numberOfButtons() ? m_buttonTitles[index] : std::string();
}

void ActionSheet::showInView(const ViewRef&)
{
    if (m_window)
        return;
    m_selfWhileShown = std::static_pointer_cast<ActionSheet>(weak_from_this().lock());
    if (!m_selfWhileShown)
        return;
    Rect screen = Screen::main().bounds();
    setFrame(screen);
    setBackgroundColor(Color::black().withAlpha(0.4));
    double titleHeight = m_title.empty() ? 0 : 40;
    double height = titleHeight + numberOfButtons() * kButtonHeight + (m_cancelIndex >= 0 ? kGap : 0) + kGap;
    auto panel = std::make_shared<SheetPanel>(Rect(0, screen.height(), screen.width(), height));
    panel->setBackgroundColor(Color::white(0.9));
    if (titleHeight > 0) {
        auto label = std::make_shared<Label>(Rect(0, 0, screen.width(), titleHeight));
        label->setText(m_title);
        label->setFont(Font::system(13));
        label->setTextColor(Color::white(0.45));
        label->setTextAlignment(TextAlignment::Center);
        panel->addSubview(label);
    }
    double y = titleHeight;
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i == m_cancelIndex)
            y += kGap;
        auto button = std::make_shared<Button>(Rect(0, y, screen.width(), kButtonHeight - 0.5));
        button->setTitle(m_buttonTitles[i], ControlStates::Normal);
        button->setTitleColor(i == m_destructiveIndex ? Color::fromRgbHex(0xff3b30) : Color::fromRgbHex(0x007aff),
                              ControlStates::Normal);
        button->setTitleFont(i == m_cancelIndex ? Font::boldSystem(19) : Font::system(19));
        button->setBackgroundColor(Color::whiteColor());
        std::weak_ptr<View> weakSelf = self();
        button->addAction([weakSelf, i](Control&) {
            if (auto sheet = std::static_pointer_cast<ActionSheet>(weakSelf.lock()))
                sheet->buttonTapped(i);
        }, ControlEvent::TouchUpInside);
        panel->addSubview(button);
        y += kButtonHeight;
    }
    addSubview(panel);
    m_window = Window::create();
    m_window->setWindowLevel(WindowLevel::Alert);
    m_window->addSubview(m_selfWhileShown);
    m_window->setHidden(false);
    View::animate(kSlide, [&] { panel->setFrame(Rect(0, screen.height() - height, screen.width(), height)); });
}

void ActionSheet::touchesEnded(const TouchSet&)
{
    // A tap on the dimmed screen around the panel.
    if (m_cancelIndex >= 0)
        buttonTapped(m_cancelIndex);
}

bool ActionSheet::performBack()
{
    if (!m_window)
        return false;
    if (m_cancelIndex >= 0)
        buttonTapped(m_cancelIndex);
    return true;
}

void ActionSheet::buttonTapped(int index)
{
    auto keep = m_selfWhileShown;
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

void ActionSheet::dismissWithClickedButtonIndex(int index, bool)
{
    if (!m_window)
        return;
    auto keep = std::exchange(m_selfWhileShown, nullptr);
    removeFromSuperview();
    for (auto& v : std::vector<ViewRef>(subviews()))
        v->removeFromSuperview();
    m_window->setHidden(true);
    m_window = nullptr;
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetDidDismissWithButtonIndex(*this, index);
}

}
