#include "framework/dom/KRDOMLayer.h"

#include "platform/graphics/Bitmap.h"

std::shared_ptr<KRDOMLayer> KRDOMLayer::create() { return std::make_shared<KRDOMLayer>(); }

KRDOMLayer::KRDOMLayer() { setUserInteractionEnabled(false); }

void KRDOMLayer::setContents(pf::BitmapRef contents)
{
    if (contents == m_contents)
        return;
    m_contents = std::move(contents);
    setNeedsDisplay();
}

void KRDOMLayer::setContentsRect(const pf::Rect& rect)
{
    if (rect == m_contentsRect)
        return;
    m_contentsRect = rect;
    setNeedsDisplay();
}

void KRDOMLayer::setContentsGravity(pf::ImageGravity gravity)
{
    if (gravity == m_contentsGravity)
        return;
    m_contentsGravity = gravity;
    setNeedsDisplay();
}

void KRDOMLayer::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    if (!m_contents)
        return;
    pf::ImageDrawOptions options;
    options.gravity = m_contentsGravity;
    options.contentsRect = m_contentsRect;
    context.drawImage(*m_contents, bounds(), options);
}

pf::ImageGravity KRDOMLayer::gravityForName(std::optional<std::string_view> name)
{
    static const std::pair<std::string_view, pf::ImageGravity> table[] = {
        {"center", pf::ImageGravity::Center},         {"resize", pf::ImageGravity::Resize},
        {"top", pf::ImageGravity::Top},               {"bottom", pf::ImageGravity::Bottom},
        {"left", pf::ImageGravity::Left},             {"right", pf::ImageGravity::Right},
        {"topleft", pf::ImageGravity::TopLeft},       {"topright", pf::ImageGravity::TopRight},
        {"bottomleft", pf::ImageGravity::BottomLeft}, {"bottomright", pf::ImageGravity::BottomRight},
        {"aspect", pf::ImageGravity::ResizeAspect},
    };
    if (name) {
        for (const auto& [word, gravity] : table) {
            if (word == *name)
                return gravity;
        }
    }
    return pf::ImageGravity::ResizeAspectFill;
}
