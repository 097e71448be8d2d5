#pragma once

// The element of the tag "img": one picture in a laid-out document. "src"
// names a bundle image ("name [leftCap [topCap]]") or a source for the image
// service (a URL, "scheme://…", "@name"); "defaultSrc" names the picture
// shown until the real one is there. The element is itself the image task:
// controllers hand it to the image service, which writes the picture back
// through setImage(image, isLocal).
//
// Layout: an "auto" width or height takes the picture's ("src" only), 0
// without one. After a picture arrives, "fit-width" (or "fit-height")
// adapts that side of the frame to the picture's aspect ratio. Drawing: the
// base element's background, then the picture placed by "gravity" (the
// layer's placement words, aspect fill by default), with the element's
// padding cut off the picture and capped bundle images stretched around
// their caps.
//
// Only bundle names are looked up in the bundle: a source with "://" never
// is, nor one that climbs out of the bundle. A name that is not found is
// not looked up again until "src" (or "defaultSrc") is set anew.
//
// Main queue only. The redraw after a delivery runs on a later turn and
// holds the element weakly.

#include "framework/core/IKRImageTask.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Object.h"

class KRDOMImageElement : public KRDOMElement, public IKRLocalImageTask {
public:
    using KRDOMElement::KRDOMElement;
    static std::shared_ptr<KRDOMImageElement> create(std::string name = "img", std::string ns = {});

    // IKRTask
    pf::ObjectRef source() const override { return m_source.lock(); }
    void setSource(const pf::ObjectRef& source) override;
    const pf::Object* sourceIdentity() const override { return m_sourceIdentity; }

    // IKRImageTask. Setting "src" starts over: not loaded, not loading, no picture.
    std::optional<std::string> src() const override;
    void setSrc(std::optional<std::string> src) override;
    std::optional<std::string> defaultSrc() const override;
    void setDefaultSrc(std::optional<std::string> src) override;
    // The image service's delivery; a picture, or a finished download
    // without one, makes the element loaded.
    void setImage(const pf::ImageRef& image, bool isLocal) override;
    // A plain setter: the picture only, with no loaded flag, fit or redraw.
    void setImage(const pf::ImageRef& image) { m_image.image = image; }
    void setDefaultImage(const pf::ImageRef& image) override;
    bool isLoaded() const override { return m_loaded; }
    void setLoaded(bool loaded) override { m_loaded = loaded; }
    bool isLoading() const override { return m_loading; }
    void setLoading(bool loading) override { m_loading = loading; }

    // The picture, looked up in the document's bundle while there is none.
    pf::ImageRef image();
    pf::ImageRef defaultImage();

    pf::Size layoutChildren(const pf::EdgeInsets& padding) override;
    void draw(const pf::Rect& rect, pf::GraphicsContext& context) override;

private:
    struct Picture {
        pf::ImageRef image;
        // Caps of a bundle picture, in points.
        int leftCapWidth = 0;
        int topCapHeight = 0;
        // The bundle was asked and had nothing for the current source.
        bool missed = false;
    };
    void lookUp(Picture& picture, std::string_view key);
    void fitToPicture(const pf::Image& image);

    bool m_loading = false;
    bool m_loaded = false;
    Picture m_image;
    pf::WeakObject m_source;
    const pf::Object* m_sourceIdentity = nullptr;
    Picture m_defaultImage;
};
