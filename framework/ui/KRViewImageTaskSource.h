#pragma once

// The three image operations of an object that fills views (a screen, a
// list controller, a row): the image tasks inside a view go to the object's
// context with the object as their source, so withdrawing the object's
// tasks withdraws them. Without a context nothing is sent.
//
// Main queue only.

#include "platform/foundation/Forward.h"

#include <memory>

class IKRUIContext;

namespace pf {
class View;
}

class KRViewImageTaskSource {
public:
    virtual ~KRViewImageTaskSource() = default;

    // The view and every view below it that is an image task, each before
    // its subviews. Sends each one neither loading nor loaded as IKRImageTask
    // (network allowed), with this object as its source.
    virtual void downloadImagesForView(pf::View& view);
    // Withdraws downloads under way, then asks only the local caches for
    // every image not loaded yet (IKRLocalImageTask); used while scrolling.
    virtual void loadImagesForView(pf::View& view);
    virtual void cancelDownloadImagesForView(pf::View& view);

protected:
    virtual std::shared_ptr<IKRUIContext> imageTaskContext() const = 0;
    virtual pf::ObjectRef imageTaskSource() = 0;
};
