#include "framework/ui/KRAlertView.h"

#include "platform/controls/Label.h"
#include "platform/graphics/Text.h"
#include "platform/ui/PerformRequest.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>

std::shared_ptr<KRAlertView> KRAlertView::create(const std::string& title, const pf::EdgeInsets& insets)
{
    pf::Font font = pf::Font::system(14);
    pf::Rect screen = pf::Screen::main().bounds();
    pf::TextStyle style{font, pf::Color::rgb(1, 1, 1), pf::TextAlignment::Center, pf::LineBreakMode::WordWrap, 0, 0};
    pf::Size text = pf::TextMeasurer::system().measure(title, style, std::max(1.0, screen.size.width - 20));
    return create(title, font, pf::Size{text.width + 20, text.height + 10}, insets);
}

std::shared_ptr<KRAlertView> KRAlertView::create(const std::string& title, const pf::Font& font, pf::Size size,
                                                 const pf::EdgeInsets& insets)
{
    pf::Size screen = pf::Screen::main().bounds().size;
    // A box larger than the screen would put the text off it: keep it inside.
    double w = std::clamp(size.width, 0.0, screen.width);
    double h = std::clamp(size.height, 0.0, screen.height);
    double x = insets.left != 0    ? insets.left
               : insets.right != 0 ? screen.width - w - insets.right
                                   : (screen.width - w) / 2;
    double y = insets.top != 0       ? insets.top
               : insets.bottom != 0 ? screen.height - h - insets.bottom
                                    : (screen.height - h) / 2;
    x = std::clamp(x, 0.0, screen.width - w);
    y = std::clamp(y, 0.0, screen.height - h);

    auto toast = std::make_shared<KRAlertView>(pf::Rect{{x, y}, {w, h}});
    pf::AutoresizingMask mask = pf::Autoresizing::None;
    if (insets.left == 0)
        mask |= pf::Autoresizing::FlexibleLeftMargin;
    if (insets.right == 0)
        mask |= pf::Autoresizing::FlexibleRightMargin;
    if (insets.top == 0)
        mask |= pf::Autoresizing::FlexibleTopMargin;
    if (insets.bottom == 0)
        mask |= pf::Autoresizing::FlexibleBottomMargin;
    toast->setAutoresizingMask(mask);
    toast->setCornerRadius(5);
    toast->setBackgroundColor(pf::Color::rgb(0, 0, 0, 0.8));
    toast->setClipsToBounds(true);

    auto label = std::make_shared<pf::Label>(pf::Rect{{0, 0}, {w, h}});
    label->setFont(font);
    label->setTextColor(pf::Color::rgb(1, 1, 1));
    label->setBackgroundColor(pf::Color::clear());
    label->setTextAlignment(pf::TextAlignment::Center);
    // Wrap, so a long message fills its tall box instead of being cut to one line.
    label->setNumberOfLines(0);
    label->setLineBreakMode(pf::LineBreakMode::WordWrap);
    label->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    label->setText(title);
    toast->addSubview(label);
    return toast;
}

void KRAlertView::show()
{
    if (!m_alertWindow) {
        m_alertWindow = pf::Window::create(pf::Screen::main().bounds());
        m_alertWindow->setWindowLevel(pf::WindowLevel::Alert);
        m_alertWindow->setBackgroundColor(pf::Color::clear());
        m_alertWindow->setUserInteractionEnabled(false);
        m_alertWindow->addSubview(std::static_pointer_cast<pf::View>(shared_from_this()));
    }
    m_alertWindow->setHidden(false);
}

void KRAlertView::showDuration(double seconds)
{
    show();
    auto self = std::static_pointer_cast<KRAlertView>(shared_from_this());
    pf::performAfterDelay(self, "close", seconds, [self] { self->close(); });
}

void KRAlertView::close()
{
    if (!m_alertWindow)
        return;
    auto window = std::move(m_alertWindow);
    window->setHidden(true);
    removeFromSuperview();
}
