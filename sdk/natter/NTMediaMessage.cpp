#include "sdk/natter/NTMediaMessage.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"

void NTMediaMessage::setThumbImage(const pf::ImageRef& image)
{
    if (!image || !image->bitmap())
        return;
    if (auto jpeg = pf::encodeJpeg(*image->bitmap(), 0.6))
        thumbData = std::move(*jpeg);
}
