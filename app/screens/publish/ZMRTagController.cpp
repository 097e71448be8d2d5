#include "app/screens/publish/ZMRTagController.h"

#include "app/screens/publish/ZMRStripItems.h"
#include "app/screens/publish/ZMRTagItemControl.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/foundation/Collections.h"

namespace {

constexpr double kItemHeight = 24;
// Room for the image and the margins beside the title.
constexpr double kItemPadding = 40;

const pf::Font& titleFont()
{
    static const pf::Font font = pf::Font::system(12);
    return font;
}

double titleWidth(const std::string& title)
{
    pf::TextStyle style;
    style.font = titleFont();
    style.numberOfLines = 1;
    return pf::TextMeasurer::system().measure(title, style, 0).width;
}

}

void ZMRTagController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRController::setContext(std::move(context));
    reloadData();
}

std::shared_ptr<ZMRTagItemControl> ZMRTagController::makeItem(const pf::Rect& frame, const Images& images)
{
    auto item = std::make_shared<ZMRTagItemControl>(frame);
    item->setTitleFont(titleFont());
    item->setTitleColor(pf::Color::rgb(240 / 255.0, 161 / 255.0, 141 / 255.0), pf::ControlStates::Normal);
    pf::Color on = pf::Color::rgb(241 / 255.0, 97 / 255.0, 60 / 255.0);
    item->setTitleColor(on, pf::ControlStates::Highlighted);
    item->setTitleColor(on, pf::ControlStates::Selected);
    item->setImage(images.off, pf::ControlStates::Normal);
    item->setImage(images.on, pf::ControlStates::Highlighted);
    item->setImage(images.on, pf::ControlStates::Selected);
    // 5 points between the tag icon and its title.
    item->setImageEdgeInsets({0, 0, 0, 5});
    item->addTarget(shared_from_this(), "itemViewAction",
                    [](pf::Object& target, pf::Control& sender) {
                        if (auto tag = dynamic_cast<ZMRTagItemControl*>(&sender))
                            static_cast<ZMRTagController&>(target).itemViewAction(*tag);
                    },
                    pf::ControlEvent::TouchUpInside);
    return item;
}

void ZMRTagController::reloadData()
{
    auto tags = m_contentView ? ZMRReadAppTable<ZMRTagObject>(context(), "ZMRTagObject") : std::nullopt;
    if (!tags)
        return;
    Images images;
    double x = 0, y = (m_contentView->bounds().height() - kItemHeight) / 2;
    ZMRReuseStripItems<ZMRTagItemControl, ZMRTagObject>(
        *m_contentView, *tags,
        [&] {
            if (!images.off && !images.on)
                images = {pf::Image::named("ico33.png"), pf::Image::named("ico34.png")};
            return makeItem({}, images);
        },
        [&](ZMRTagItemControl& item, std::size_t, const std::shared_ptr<ZMRTagObject>& tag) {
            std::string title = tag->tag().value_or("");
            pf::Rect frame{x, y, titleWidth(title) + kItemPadding, kItemHeight};
            item.setFrame(frame);
            item.setTitle(title, pf::ControlStates::Normal);
            item.setDataObject(tag);
            x += frame.width();
        });
    m_contentView->setContentSize({x, 0});
}

std::vector<std::shared_ptr<ZMRTagObject>> ZMRTagController::selectedDataObjects() const
{
    std::vector<std::shared_ptr<ZMRTagObject>> selected;
    if (!m_contentView)
        return selected;
    for (const pf::ViewRef& view : m_contentView->subviews()) {
        auto item = std::dynamic_pointer_cast<ZMRTagItemControl>(view);
        if (item && item->isSelected() && item->dataObject())
            selected.push_back(item->dataObject());
    }
    return selected;
}

void ZMRTagController::itemViewAction(ZMRTagItemControl& sender)
{
    sender.setSelected(!sender.isSelected());
}
