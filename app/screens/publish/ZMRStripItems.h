#pragma once

// What the category and tag strips of the publish forms share: they read a
// whole table of the application database and show one button per row,
// reusing the buttons they have by position.
//
// Main queue only.

#include "app/services/ZMRContext.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/View.h"

#include <functional>
#include <optional>
#include <vector>

// The rows of the table of `className` that are `Object`s, in table order;
// nothing without the context's application database, the class or a
// readable table.
template <class Object>
std::optional<std::vector<std::shared_ptr<Object>>> ZMRReadAppTable(const std::shared_ptr<IKRUIContext>& context,
                                                                     const char* className)
{
    auto app = std::dynamic_pointer_cast<ZMRContext>(context);
    KRDBContextRef db = app ? app->appDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named(className);
    auto cursor = db && cls ? db->query(cls, std::string()) : nullptr;
    if (!cursor)
        return std::nullopt;
    pf::ArrayRef rows = cursor->dataObjects(cls);
    cursor->close();
    std::vector<std::shared_ptr<Object>> objects;
    for (const pf::Value& value : *rows) {
        if (auto object = value.objectAs<Object>())
            objects.push_back(std::move(object));
    }
    return objects;
}

// One `Item` of `content` per object: the i-th existing item is reused for
// the i-th object, `make` adds the missing ones, `bind` gives each its
// object and place, and the items left over are removed.
template <class Item, class Object>
void ZMRReuseStripItems(pf::View& content, const std::vector<std::shared_ptr<Object>>& objects,
                        const std::function<std::shared_ptr<Item>()>& make,
                        const std::function<void(Item&, std::size_t index, const std::shared_ptr<Object>&)>& bind)
{
    std::vector<std::shared_ptr<Item>> items;
    for (const pf::ViewRef& view : content.subviews()) {
        if (auto item = std::dynamic_pointer_cast<Item>(view))
            items.push_back(std::move(item));
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        std::shared_ptr<Item> item = i < items.size() ? items[i] : nullptr;
        if (!item) {
            item = make();
            content.addSubview(item);
        }
        bind(*item, i, objects[i]);
    }
    for (std::size_t i = objects.size(); i < items.size(); ++i)
        items[i]->removeFromSuperview();
}
