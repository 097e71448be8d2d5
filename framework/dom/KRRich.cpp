#include "framework/dom/KRRich.h"

#include "framework/dom/KRGeometry.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace {

pf::Size sanitizedSize(pf::Size size)
{
    auto side = [](double v) { return std::isfinite(v) && v < kKRLayoutAuto ? std::max(0.0, v) : HUGE_VAL; };
    return {side(size.width), side(size.height)};
}

bool sameSize(pf::Size a, pf::Size b) { return a.width == b.width && a.height == b.height; }

}

KRRich::KRRich() = default;
KRRich::~KRRich() = default;

pf::RichTextAttributes KRRich::resolve(const KRRichAttributes& attributes, const KRRichElement* element) const
{
    pf::RichTextAttributes a;
    KRRichParagraphStyle paragraph = attributes.paragraphStyle.value_or(KRRichParagraphStyle{m_linesSpacing, true});
    a.lineSpacing = paragraph.lineSpacing;
    a.justified = paragraph.justified;
    if (attributes.font)
        a.font = m_incFontSize != 0 ? attributes.font->withSize(attributes.font->size() + m_incFontSize) : *attributes.font;
    else
        a.font = m_font.withSize(m_font.size() + m_incFontSize);
    a.color = attributes.foregroundColor.value_or(m_textColor);
    a.kern = attributes.kern.value_or(m_charsetsSpacing);
    if (auto* box = dynamic_cast<const IKRRichBoxElement*>(element))
        a.shape = pf::TextShape{box->width(), box->ascent(), box->descent()};
    return a;
}

void KRRich::appendElement(std::shared_ptr<KRRichElement> element, std::string_view text,
                           const KRRichAttributes& attributes)
{
    PF_ASSERT_MAIN_THREAD();
    pf::TextRange range = m_text.append(text, resolve(attributes, element.get()));
    if (element) {
        element->setRange(range);
        m_elements.push_back(std::move(element));
    }
    invalidate();
}

void KRRich::appendElement(std::shared_ptr<KRRichElement> element)
{
    KRRichAttributes attributes;
    attributes.foregroundColor = pf::Color::clear();
    appendElement(std::move(element), kPlaceholder, attributes);
}

void KRRich::appendText(std::string_view text, const KRRichAttributes& attributes)
{
    appendElement(nullptr, text, attributes);
}

void KRRich::setAttributes(const KRRichAttributes& attributes, const KRRichElement* element)
{
    pf::TextRange range = element ? element->range() : pf::TextRange{};
    m_text.setAttributes(range, resolve(attributes, element));
    invalidate();
}

void KRRich::removeAllElements()
{
    m_text.clear();
    m_elements.clear();
    invalidate();
}

void KRRich::invalidate() { m_frame.reset(); }

pf::RichTextFrameRef KRRich::frameWithSize(pf::Size size)
{
    size = sanitizedSize(size);
    if (m_frame && sameSize(m_frameSize, size))
        return m_frame;
    m_frameSize = size;
    m_frame = m_text.frame(size);
    return m_frame;
}

pf::Size KRRich::contentSizeWithSize(pf::Size constraints) const
{
    return m_text.suggestedSize(sanitizedSize(constraints));
}

std::optional<pf::Rect> KRRich::elementBox(const KRRichElement& element, pf::Size size)
{
    pf::RichTextFrameRef frame = frameWithSize(size);
    auto* box = dynamic_cast<const IKRRichBoxElement*>(&element);
    if (!box)
        return std::nullopt;
    for (const pf::RichTextLine& line : frame->lines()) {
        if (element.range().location >= line.range.end())
            continue;
        for (const pf::RichTextRun& run : line.runs) {
            if (run.range == element.range() && run.range.length == 1)
                return pf::Rect(run.x, line.baseline - box->ascent(), box->width(), box->ascent() + box->descent());
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void KRRich::drawContext(pf::GraphicsContext& context, pf::Size size)
{
    PF_ASSERT_MAIN_THREAD();
    pf::RichTextFrameRef frame = frameWithSize(size);
    if (frame->lines().empty())
        return;
    frame->draw(context);
    // Each object finds its own run, so one that was cut off (its line past
    // the height) does not keep the later ones from drawing.
    auto elements = m_elements;
    for (const auto& element : elements) {
        if (dynamic_cast<IKRRichDrawElement*>(element.get()))
            drawElement(*element, context, size);
    }
}

void KRRich::drawElement(KRRichElement& element, pf::GraphicsContext& context, pf::Size size)
{
    auto* drawable = dynamic_cast<IKRRichDrawElement*>(&element);
    if (!drawable)
        return;
    std::optional<pf::Rect> box = elementBox(element, size);
    if (!box || box->width() <= 0 || box->height() <= 0)
        return;
    context.save();
    context.clipToRect(*box);
    drawable->drawRect(*box, context);
    context.restore();
}

std::shared_ptr<KRRichElement> KRRich::elementByLocation(pf::Point point, pf::Size size)
{
    std::optional<std::size_t> index = frameWithSize(size)->indexAtPoint(point);
    if (!index)
        return nullptr;
    for (const auto& element : m_elements) {
        pf::TextRange range = element->range();
        if (*index < range.location)
            return nullptr;
        if (*index <= range.end())
            return element;
    }
    return nullptr;
}

std::vector<pf::Rect> KRRich::elementRects(const KRRichElement* element, pf::Size size)
{
    if (!element)
        return {};
    return frameWithSize(size)->rectsForRange(element->range());
}

void KRRich::installView(const pf::ViewRef& host, const pf::Rect& rect)
{
    if (!host)
        return;
    auto elements = m_elements;
    for (const auto& element : elements) {
        auto* viewElement = dynamic_cast<IKRRichViewElement*>(element.get());
        pf::ViewRef view = viewElement ? viewElement->view() : nullptr;
        if (!view)
            continue;
        if (std::optional<pf::Rect> box = elementBox(*element, rect.size)) {
            view->setFrame(box->offsetBy(rect.x(), rect.y()));
            host->addSubview(view);
        }
    }
}

void KRRich::uninstallView()
{
    auto elements = m_elements;
    for (const auto& element : elements) {
        auto* viewElement = dynamic_cast<IKRRichViewElement*>(element.get());
        if (pf::ViewRef view = viewElement ? viewElement->view() : nullptr)
            view->removeFromSuperview();
    }
}
