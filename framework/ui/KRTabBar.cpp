#include "framework/ui/KRTabBar.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <algorithm>

void KRTabBar::setBackgroundImage(const pf::ImageRef& image)
{
    if (image == m_backgroundImage)
        return;
    m_backgroundImage = image;
    setNeedsDisplay();
}

unsigned KRTabBar::selectedIndex() const
{
    auto at = std::find(items().begin(), items().end(), selectedItem());
    return selectedItem() && at != items().end() ? unsigned(at - items().begin()) : NotFound;
}

void KRTabBar::setSelectedIndex(unsigned index)
{
    if (index < items().size())
        setSelectedItem(items()[index]);
}

void KRTabBar::draw(pf::GraphicsContext& context, const pf::Rect& rect)
{
    // The image goes under the items, which would be hidden otherwise.
    if (m_backgroundImage && m_backgroundImage->bitmap())
        context.drawImage(*m_backgroundImage->bitmap(), bounds());
    if (!items().empty())
        pf::TabBar::draw(context, rect);
}
