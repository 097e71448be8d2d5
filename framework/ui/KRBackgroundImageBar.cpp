#include "framework/ui/KRBackgroundImageBar.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

void KRDrawStretchedImage(pf::GraphicsContext& context, const pf::ImageRef& image, const pf::Rect& rect)
{
    if (image && image->bitmap())
        context.drawImage(*image->bitmap(), rect);
}
