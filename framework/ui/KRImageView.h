#pragma once

// An image view that is itself an image task: it carries the source of the
// picture it wants (`src`), a placeholder (`defaultImage`, or `defaultSrc`
// for one that is itself loaded) and the loading and loaded flags the image
// service reads and sets while filling it. The shown picture is cropped to
// the aspect of the bounds, anchored by `imageMode`, whenever the picture,
// the bounds or the mode change.
//
// Main queue only. The source (the requester) is not retained.

#include "framework/core/IKRImageTask.h"
#include "platform/controls/ImageView.h"

#include <optional>
#include <string>

class KRImageView : public pf::ImageView, public IKRLocalImageTask {
public:
    explicit KRImageView(const pf::Rect& frame = {});

    // IKRTask
    pf::ObjectRef source() const override { return m_source.lock(); }
    void setSource(const pf::ObjectRef& source) override;
    const pf::Object* sourceIdentity() const override { return m_sourceIdentity; }

    // IKRImageTask
    using IKRImageTask::setImage;
    void setImage(const pf::ImageRef& image) override { setImage(image, false); }
    void setImage(const pf::ImageRef& image, bool isLocal) override;
    const pf::ImageRef& defaultImage() const { return m_defaultImage; }
    void setDefaultImage(const pf::ImageRef& image) override;
    bool isLoaded() const override { return m_loaded; }
    void setLoaded(bool loaded) override { m_loaded = loaded; }
    bool isLoading() const override { return m_loading; }
    void setLoading(bool loading) override { m_loading = loading; }
    std::optional<std::string> src() const override { return m_src; }
    void setSrc(std::optional<std::string> src) override;
    std::optional<std::string> defaultSrc() const override { return m_defaultSrc; }
    void setDefaultSrc(std::optional<std::string> src) override { m_defaultSrc = std::move(src); }

    const std::optional<std::string>& imageMode() const { return m_imageMode; }
    void setImageMode(const std::optional<std::string>& mode);
    // Sets the shown part of the picture from the mode and the bounds.
    void updateContentsRect();

    void setBounds(const pf::Rect& bounds) override;

private:
    // Shows `image` cropped by the mode.
    void show(const pf::ImageRef& image);

    pf::WeakObject m_source;
    const pf::Object* m_sourceIdentity = nullptr;
    bool m_loading = false;
    bool m_loaded = false;
    std::optional<std::string> m_src;
    pf::ImageRef m_defaultImage;
    std::optional<std::string> m_defaultSrc;
    std::optional<std::string> m_imageMode;
};
