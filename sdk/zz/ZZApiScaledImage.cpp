#include "sdk/zz/ZZApiScaledImage.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"

#include <algorithm>
#include <cmath>

pf::ImageRef ZZApiImageWithData(const pf::Bytes& data)
{
    auto size = pf::imagePixelSize(data.data(), data.size());
    if (!size || std::uint64_t(size->width) * size->height > kZZApiMaxPreviewPixels)
        return nullptr;
    auto image = pf::Image::fromData(data);
    return image ? image.value() : nullptr;
}

pf::ImageRef ZZApiScaledImage(const pf::ImageRef& image, double maxWidth, double maxHeight)
{
    if (!image || !(maxWidth >= 0) || !(maxHeight >= 0))
        return nullptr;
    double width = image->pixelWidth(), height = image->pixelHeight();
    if (width <= maxWidth && height <= maxHeight)
        return image;
    // The shorter side decides, so the picture fills the box and the longer
    // side is what gets cropped.
    double ratio = width < height ? (maxWidth + 0.01) / (width + 0.01) : (maxHeight + 0.01) / (height + 0.01);
    double targetWidth = width, targetHeight = height;
    if (ratio < 1) {
        targetWidth = std::floor(width * ratio);
        targetHeight = std::floor(height * ratio);
    } else {
        ratio = 1;
    }
    targetWidth = std::min(targetWidth, std::floor(maxWidth));
    targetHeight = std::min(targetHeight, std::floor(maxHeight));
    auto bitmap = pf::Bitmap::create(int(targetWidth), int(targetHeight));
    if (!bitmap || targetWidth < 1 || targetHeight < 1)
        return nullptr;
    {
        auto context = pf::GraphicsContext::create(*bitmap.value());
        if (!context)
            return nullptr;
        pf::GraphicsContext& drawing = *context.value();
        drawing.translate(targetWidth / 2, targetHeight / 2);
        double drawnWidth = width * ratio, drawnHeight = height * ratio;
        drawing.drawImage(*image->bitmap(), pf::Rect(-drawnWidth / 2, -drawnHeight / 2, drawnWidth, drawnHeight));
        if (drawing.status())
            return nullptr;
    }
    return pf::Image::create(bitmap.value());
}
