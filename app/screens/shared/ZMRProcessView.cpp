#include "app/screens/shared/ZMRProcessView.h"

#include "framework/dom/KRDOMElement.h"
#include "platform/controls/Button.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"

#include <charconv>
#include <cmath>

namespace {

constexpr double kTipWidth = 48;
constexpr double kTipHeight = 20;
constexpr double kWidestPlainText = 36;
constexpr double kTextPadding = 12;

pf::Color rgb(int r, int g, int b) { return pf::Color::rgb(r / 255.0, g / 255.0, b / 255.0); }

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0; }

}

ZMRProcessView::ZMRProcessView(const pf::Rect& frame)
    : pf::View(frame)
{
    double width = frame.size.width, height = frame.size.height;
    m_bgView = pf::View::create({24, height - 5, width - 48, 3});
    m_bgView->setBackgroundColor(rgb(251, 226, 218));
    m_bgView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleTopMargin);
    addSubview(m_bgView);
    m_processView = pf::View::create({24, height - 7, 0, 7});
    m_processView->setBackgroundColor(rgb(242, 108, 79));
    m_processView->setAutoresizingMask(pf::Autoresizing::FlexibleTopMargin);
    addSubview(m_processView);
    m_tipButton = std::make_shared<pf::Button>(pf::Rect{0, height - 27, kTipWidth, kTipHeight});
    m_tipButton->setAutoresizingMask(pf::Autoresizing::FlexibleTopMargin);
    if (auto tip = pf::Image::named("tip.png")) {
        m_tipButton->setBackgroundImage(tip, pf::ControlStates::Normal);
        // Not dimmed although the tip is disabled: it is a label, not a control.
        m_tipButton->setBackgroundImage(tip, pf::ControlStates::Disabled);
    }
    m_tipButton->setEnabled(false);
    m_tipButton->setTitleFont(pf::Font::boldSystem(12));
    m_tipButton->setTitleColor(pf::Color::whiteColor(), pf::ControlStates::Normal);
    m_tipButton->setTitleColor(pf::Color::whiteColor(), pf::ControlStates::Disabled);
    // The picture's pointer takes the bottom 2 points: the text centres above it.
    m_tipButton->setTitleEdgeInsets({0, 0, 2, 0});
    addSubview(m_tipButton);
}

void ZMRProcessView::setProcess(double process)
{
    m_process = finiteOrZero(process);
    double span = bounds().size.width - m_tipButton->frame().size.width;
    pf::Rect fill = m_processView->frame();
    fill.size.width = span * m_process;
    m_processView->setFrame(fill);
    pf::Rect tip = m_tipButton->frame();
    tip.origin.x = span * m_process;
    m_tipButton->setFrame(tip);
}

void ZMRProcessView::setTitle(const std::optional<std::string>& title)
{
    m_title = title;
    const pf::TextMeasurer& measurer = m_measurer ? *m_measurer : pf::TextMeasurer::system();
    pf::TextStyle style;
    style.font = m_tipButton->titleFont();
    style.numberOfLines = 1;
    double textWidth = title ? measurer.measure(*title, style, 0).width : 0;
    double tipWidth = textWidth > kWidestPlainText ? textWidth + kTextPadding : kTipWidth;
    m_tipButton->setTitle(title, pf::ControlStates::Normal);
    m_tipButton->setHidden(false);
    double width = bounds().size.width, span = width - tipWidth;
    pf::Rect track = m_bgView->frame();
    m_bgView->setFrame({tipWidth / 2, track.origin.y, span, track.size.height});
    pf::Rect fill = m_processView->frame();
    m_processView->setFrame({tipWidth / 2, fill.origin.y, span * m_process, fill.size.height});
    pf::Rect tip = m_tipButton->frame();
    m_tipButton->setFrame({span * m_process, tip.origin.y, tipWidth, kTipHeight});
}

void ZMRProcessView::setElement(const KRDOMElementRef& element)
{
    dressViewWithElement(*this, element.get());
    // No element reads as no attributes: the bar and the tip are reset, so a
    // reused view never shows the previous element's values.
    double process = 0;
    if (auto text = element ? element->attributeValueForKey("process") : std::nullopt) {
        std::string_view digits = *text;
        while (!digits.empty() && digits.front() == ' ')
            digits.remove_prefix(1);
        std::from_chars(digits.data(), digits.data() + digits.size(), process);
    }
    setProcess(process);
    auto title = element ? element->attributeValueForKey("title") : std::nullopt;
    setTitle(title ? std::optional<std::string>(std::string(*title)) : std::nullopt);
}
