#pragma once

// The image task types. Views and markup elements that show a picture by
// name or URL are themselves image tasks: they hand themselves to the
// context, and the image service writes the picture back through
// setImage(image, isLocal).
//
// Sent as IKRImageTask a task may start a download; sent as
// IKRLocalImageTask it is only looked up locally (bundle, memory cache,
// cache file). Main queue only.

#include "framework/core/IKRTask.h"
#include "platform/graphics/Forward.h"

#include <optional>
#include <string>

namespace proto {
const pf::Protocol* IKRImageTask();
const pf::Protocol* IKRLocalImageTask();
}

class IKRImageTask : public virtual IKRTask {
public:
    // A finished download (even a failed one, with null).
    void setImage(const pf::ImageRef& image) { setImage(image, false); }
    // `isLocal` is true when the picture (or its absence) came from the
    // bundle, the memory cache or a cache file, false when it is the outcome
    // of a download.
    virtual void setImage(const pf::ImageRef& image, bool isLocal) = 0;
    virtual void setDefaultImage(const pf::ImageRef& image) = 0;
    virtual bool isLoaded() const = 0;
    virtual void setLoaded(bool loaded) = 0;
    // Source texts: "@name" (bundle), "http://…" or "https://…" (remote),
    // "scheme://rest" with a configured base URL for the scheme, or a bundle
    // image name.
    virtual std::optional<std::string> defaultSrc() const = 0;
    virtual void setDefaultSrc(std::optional<std::string> src) = 0;
    virtual std::optional<std::string> src() const = 0;
    virtual void setSrc(std::optional<std::string> src) = 0;
    virtual bool isLoading() const = 0;
    virtual void setLoading(bool loading) = 0;
};

class IKRLocalImageTask : public virtual IKRImageTask {};
