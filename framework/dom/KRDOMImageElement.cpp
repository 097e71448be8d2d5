#include "framework/dom/KRDOMImageElement.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRImage.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <cassert>

std::shared_ptr<KRDOMImageElement> KRDOMImageElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMImageElement>(std::move(name), std::move(ns));
}

void KRDOMImageElement::setSource(const pf::ObjectRef& source)
{
    m_source = source;
    m_sourceIdentity = source.get();
}

std::optional<std::string> KRDOMImageElement::src() const
{
    auto value = attributeValueForKey("src");
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

void KRDOMImageElement::setSrc(std::optional<std::string> src)
{
    setAttributeValue(src, "src");
    m_loaded = false;
    m_loading = false;
    m_image = {};
}

std::optional<std::string> KRDOMImageElement::defaultSrc() const
{
    auto value = attributeValueForKey("defaultSrc");
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

void KRDOMImageElement::setDefaultSrc(std::optional<std::string> src)
{
    setAttributeValue(src, "defaultSrc");
    // The new name may be found where the old one was not.
    m_defaultImage.missed = false;
}

void KRDOMImageElement::lookUp(Picture& picture, std::string_view key)
{
    if (picture.image || picture.missed)
        return;
    auto text = attributeValueForKey(key);
    // Sources of the image service (URLs, "scheme://…") are not bundle names.
    if (!text || text->find("://") != std::string_view::npos) {
        picture.missed = true;
        return;
    }
    KRDOMDocumentRef document = this->document();
    std::optional<KRImage> found = imageValueForKey(key, document ? document->bundle().get() : nullptr);
    pf::ImageRef image = found ? KRDOMImageCache::imageForPath(found->path) : nullptr;
    if (!image) {
        picture.missed = true;
        return;
    }
    picture.image = image;
    picture.leftCapWidth = found->leftCapWidth;
    picture.topCapHeight = found->topCapHeight;
}

pf::ImageRef KRDOMImageElement::image()
{
    lookUp(m_image, "src");
    return m_image.image;
}

pf::ImageRef KRDOMImageElement::defaultImage()
{
    lookUp(m_defaultImage, "defaultSrc");
    return m_defaultImage.image;
}

void KRDOMImageElement::setDefaultImage(const pf::ImageRef& image)
{
    m_defaultImage.image = image;
    m_defaultImage.leftCapWidth = m_defaultImage.topCapHeight = 0;
}

void KRDOMImageElement::setImage(const pf::ImageRef& image, bool isLocal)
{
    PF_ASSERT_MAIN_THREAD();
    // A local miss leaves the element unloaded, so that the service may
    // still download the picture.
    if (image || !isLocal)
        m_loaded = true;
    m_image.image = image;
    m_image.leftCapWidth = m_image.topCapHeight = 0;
    if (image)
        fitToPicture(*image);
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::RunLoop::main().post([weak] {
        if (auto self = std::static_pointer_cast<KRDOMElement>(weak.lock()))
            self->setNeedDisplay();
    });
}

void KRDOMImageElement::fitToPicture(const pf::Image& image)
{
    pf::Size picture = image.size();
    auto fits = [&](const pf::Rect& f) {
        // A zero side makes no ratio.
        return f.width() != 0 && f.height() != 0 && picture.width != 0 && picture.height != 0;
    };
    pf::Rect f = frame();
    if (attributeValueForKey("fit-width") && fits(f)
        && f.width() / f.height() != picture.width / picture.height) {
        f.size.width = f.height() * picture.width / picture.height;
        setFrame(f);
        f = frame();
    }
    if (attributeValueForKey("fit-height") && fits(f)
        && f.width() / f.height() != picture.width / picture.height)
        setFrame({f.origin, {f.width(), f.width() * picture.height / picture.width}});
}

pf::Size KRDOMImageElement::layoutChildren(const pf::EdgeInsets&)
{
    pf::Rect f = frame();
    bool autoWidth = krIsLayoutAuto(f.width());
    bool autoHeight = krIsLayoutAuto(f.height());
    if (!autoWidth && !autoHeight)
        return f.size;
    // The placeholder never sizes the element.
    pf::ImageRef picture = image();
    pf::Size size = picture ? picture->size() : pf::Size{};
    setFrame({f.origin, {autoWidth ? size.width : f.width(), autoHeight ? size.height : f.height()}});
    return frame().size;
}

void KRDOMImageElement::draw(const pf::Rect& rect, pf::GraphicsContext& context)
{
    KRDOMElement::draw(rect, context);
    const Picture* shown = image() ? &m_image : defaultImage() ? &m_defaultImage : nullptr;
    if (!shown || !shown->image->bitmap())
        return;
    const pf::Image& picture = *shown->image;
    pf::Size size = picture.size();
    pf::Rect area{0, 0, frame().width(), frame().height()};
    if (size.isEmpty() || area.isEmpty())
        return;
    pf::ImageDrawOptions options;
    options.gravity = KRDOMLayer::gravityForName(stringValueForKey("gravity"));
    // The padding is cut off the picture, in the picture's points.
    pf::EdgeInsets crop = padding();
    options.contentsRect = {crop.left / size.width, crop.top / size.height,
                            1 - (crop.left + crop.right) / size.width, 1 - (crop.top + crop.bottom) / size.height};
    if (shown->leftCapWidth != 0 || shown->topCapHeight != 0) {
        // The picture stretches in a one-point band after its caps, which
        // stay inside the picture.
        double left = std::clamp<double>(shown->leftCapWidth, 0, std::max(0.0, size.width - 1));
        double top = std::clamp<double>(shown->topCapHeight, 0, std::max(0.0, size.height - 1));
        options.caps = {top, left, std::max(0.0, size.height - top - 1), std::max(0.0, size.width - left - 1)};
    }
    context.drawImage(*picture.bitmap(), area, options);
}
