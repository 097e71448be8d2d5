#include "framework/ui/UIViewImage.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GaussianBlur.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/View.h"

pf::ImageRef toImage(pf::View& view)
{
    auto bitmap = pf::Compositor::renderView(view, 1);
    if (!bitmap || !bitmap.value())
        return nullptr;
    return pf::Image::create(bitmap.value());
}

pf::ImageRef imageByGaussianBlurRadius(const pf::Image& image, double radius)
{
    if (!image.bitmap())
        return nullptr;
    auto blurred = pf::gaussianBlur(*image.bitmap(), radius);
    return blurred ? pf::Image::create(blurred.value()) : nullptr;
}
