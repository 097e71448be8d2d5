#pragma once

// What the feed fuzz targets share: bytes as one page answer of a feed
// source, every row filled from the shipped "feed_item.html" by the feed
// list controller (categories 1 to 7 known to the bus, 66 declined), laid
// out at 320 points and drawn. Checked for every row:
//
// - a row that is no dictionary has no document, no display fields and no
//   height;
// - every frame is finite;
// - apart from the children the filler adds to "tags" and "money", the
//   document has exactly the elements of the template filled from an empty
//   entry: server text never becomes markup;
// - "tags" holds icon and text pairs, one per known category id and text
//   tag, six at most; "money" holds "省¥" and the saving exactly when
//   "payMoney" is a finite amount that is not 0.
//
// Include from exactly one source of a fuzz target.

#include "FontLeakSuppressions.h"
#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRTableView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace feedfuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

class Bus : public FakeBus {
public:
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int priority) override
    {
        if (type != proto::IZMRClassifyGetTask())
            return FakeBus::handle(type, task, priority);
        auto lookup = std::dynamic_pointer_cast<IZMRClassifyGetTask>(task);
        if (lookup->cid() == 66)
            return false;
        if (lookup->cid() >= 1 && lookup->cid() <= 7) {
            auto category = std::make_shared<ZMRClassifyObject>();
            category->setTitle("类" + std::to_string(lookup->cid()));
            lookup->setDataObject(category);
        }
        return true;
    }
    std::shared_ptr<KRDOMStyleSheet> domStyleSheet() override { return sheet; }
    KRDOMStyleSheetRef sheet = std::make_shared<KRDOMStyleSheet>();
};

inline std::string resource(const std::string& name)
{
    auto bytes = pf::readFile(pf::Bundle::main()->resourcePath() + "/" + name);
    if (!bytes) {
        std::fprintf(stderr, "run from the source folder: %s is missing\n", name.c_str());
        std::abort();
    }
    return std::string(bytes->begin(), bytes->end());
}

inline void countElements(const KRDOMElement& element, std::size_t& count)
{
    ++count;
    if (element.eid() == std::string_view("tags") || element.eid() == std::string_view("money"))
        return; // their children are the filler's
    for (const auto& child : element.childs())
        countElements(*child, count);
}

inline void checkFinite(const KRDOMElement& e)
{
    pf::Rect f = e.frame();
    for (double v : {f.x(), f.y(), f.width(), f.height(), e.contentSize().width, e.contentSize().height})
        check(std::isfinite(v));
    for (const KRDOMElementRef& child : e.childs())
        checkFinite(*child);
}

inline std::size_t expectedPairs(const pf::Dictionary& entry)
{
    std::size_t pairs = 0;
    if (auto cids = entry.get("cids").array())
        for (const auto& cid : *cids)
            if (auto id = ZMRWholeNumber(cid); id && *id >= 1 && *id <= 7)
                ++pairs;
    if (auto tags = entry.get("tags").array())
        for (const auto& tag : *tags)
            if (tag.isString() || (tag.isDictionary() && tag.dictionary()->get("tag").isString()))
                ++pairs;
    return std::min<std::size_t>(pairs, 6);
}

inline void checkRow(KRDOMDocument& document, const pf::Dictionary& entry, std::size_t templateElements)
{
    auto root = document.rootElement();
    check(bool(root));
    checkFinite(*root);
    std::size_t count = 0;
    countElements(*root, count);
    check(count == templateElements);

    auto tags = document.elementById("tags");
    check(tags && tags->childs().size() == 2 * expectedPairs(entry));
    for (std::size_t i = 0; i < tags->childs().size(); ++i)
        check(tags->childs()[i]->attributeValueForKey("class") == std::string_view(i % 2 ? "tag-label" : "tag-image"));

    auto money = document.elementById("money");
    double pay = ZMRDecimalNumber(entry.get("payMoney")).value_or(0);
    check(money && money->childs().size() == (pay != 0 ? 2u : 0u));
    if (pay != 0) {
        check(money->childs()[0]->text() == "省¥");
        double saving = pay - ZMRDecimalNumber(entry.get("expendMoney")).value_or(0);
        pf::NumberFormatter reader;
        reader.setUsesGroupingSeparator(true);
        auto shown = reader.numberFromString(money->childs()[1]->text());
        check(!std::isfinite(saving) || std::fabs(saving) > 1e15 || (shown && std::fabs(*shown - saving) <= 0.0051));
    }
}

template <class Source>
int run(const std::uint8_t* data, std::size_t size)
{
    static const std::string rowTemplate = resource("templates/feed_item.html");
    static const std::size_t templateElements = [] {
        auto document = KRDOMDocument::create();
        pf::Value empty(pf::Dictionary::create({{"dataItem", pf::Value(pf::Dictionary::create())}}));
        check(KRDOMParse().parseHTML(htmlStringByDOMSource(rowTemplate, empty), *document) && document->rootElement());
        std::size_t count = 0;
        countElements(*document->rootElement(), count);
        return count;
    }();
    static auto bus = [] {
        auto made = std::make_shared<Bus>();
        KRDOMParse().parseCSS(resource("style.css"), *made->sheet);
        return made;
    }();
    static pf::BitmapRef bitmap = pf::Bitmap::create(64, 64, 1).value();

    auto source = std::make_shared<Source>();
    source->setDataKey(std::string("list"));
    source->setContext(bus);
    auto table = std::make_shared<KRTableView>(pf::Rect{0, 0, 320, 480});
    auto rows = std::make_shared<ZMRFeedController>();
    rows->setHtml(std::string("templates/feed_item.html"));
    rows->setDataSource(source);
    rows->setContext(bus);
    rows->setTableView(table);

    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data), size)), nullptr);
    auto context = pf::GraphicsContext::create(*bitmap);
    check(bool(context));
    for (std::size_t i = 0; i < source->count() && i < 40; ++i) {
        pf::Value row = source->dataObjectAtIndex(static_cast<int>(i));
        pf::IndexPath path{0, static_cast<int>(i)};
        auto document = rows->documentByIndexPath(path);
        if (!row.isDictionary()) {
            check(!document && rows->tableViewHeightForRowAtIndexPath(*table, path).value_or(0) == 0);
            continue;
        }
        check(document && row.dictionary()->get("html").stringOr().find('<') == std::string::npos);
        checkRow(*document, *row.dictionary(), templateElements);
        document->rootElement()->render({0, 0, 64, 64}, *context.value());
    }
    bus->calls.clear();
    bus->tasks.clear();
    return 0;
}

}
