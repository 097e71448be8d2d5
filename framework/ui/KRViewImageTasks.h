#pragma once

// The image tasks of a filled view tree, shared by screens, list controllers and
// table cells: each walks the view and every view below it that is an image
// task, each before its subviews, and talks to the given bus.
//
// Main queue only.

#include "platform/foundation/Forward.h"

class IKRUIContext;

namespace pf {
class View;
}

// Sends each image task neither loading nor loaded as IKRImageTask (network
// allowed), with `source` as its source.
void KRDownloadImagesForView(IKRUIContext& context, const pf::ObjectRef& source, pf::View& view);
// Withdraws downloads under way, then asks only the local caches for every
// image not loaded yet (IKRLocalImageTask).
void KRLoadImagesForView(IKRUIContext& context, pf::View& view);
void KRCancelDownloadImagesForView(IKRUIContext& context, pf::View& view);
