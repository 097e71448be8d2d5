#include "app/screens/feed/ZMRFeedDocumentController.h"

#include "app/screens/feed/ZMRFeedLikeTask.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRLikeService.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRImageTask.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMLabelElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"

namespace {

constexpr int kMostTags = 6;
constexpr int kMostLikeUsers = 5;

void addLabel(KRDOMElement& parent, std::string text, const char* styleClass)
{
    auto label = KRDOMLabelElement::create();
    label->setText(std::move(text));
    label->setAttributeValue("auto", "width");
    label->setAttributeValue("auto", "height");
    label->setAttributeValue(styleClass, "class");
    parent.addElement(label);
}

void addTag(KRDOMElement& tags, std::string text)
{
    auto icon = KRDOMImageElement::create();
    icon->setAttributeValue("ico33.png", "src");
    icon->setAttributeValue("auto", "width");
    icon->setAttributeValue("auto", "height");
    icon->setAttributeValue("tag-image", "class");
    tags.addElement(icon);
    addLabel(tags, std::move(text), "tag-label");
}

// Category pairs first, then tags; answers how many pairs were added.
int fillTags(KRDOMElement& tags, const pf::Dictionary& item, const std::shared_ptr<IKRUIContext>& context)
{
    int added = 0;
    if (auto cids = item.get("cids").array(); cids && context) {
        auto lookup = std::make_shared<ZMRClassifyGetTask>();
        for (std::size_t i = 0; i < cids->count() && added < kMostTags; ++i) {
            auto cid = ZMRWholeNumber(cids->at(i));
            if (!cid)
                continue;
            lookup->setCid(*cid);
            lookup->setDataObject(nullptr); // a declined lookup must not show the one before
            if (!context->handle(proto::IZMRClassifyGetTask(), lookup, 0))
                continue;
            auto category = std::dynamic_pointer_cast<ZMRClassifyObject>(lookup->dataObject());
            if (!category || !category->title())
                continue;
            addTag(tags, *category->title());
            ++added;
        }
    }
    if (auto list = item.get("tags").array()) {
        for (std::size_t i = 0; i < list->count() && added < kMostTags; ++i) {
            pf::Value entry = list->at(i);
            const std::string* text = entry.string();
            pf::Value inner;
            if (!text && entry.isDictionary()) {
                inner = entry.dictionary()->get("tag");
                text = inner.string();
            }
            if (!text)
                continue;
            addTag(tags, *text);
            ++added;
        }
    }
    return added;
}

std::string savingText(double saving)
{
    pf::NumberFormatter formatter;
    formatter.setUsesGroupingSeparator(true);
    formatter.setMinimumFractionDigits(0);
    formatter.setMaximumFractionDigits(2);
    return formatter.stringFromNumber(saving);
}

void setLabelText(const KRDOMDocument& document, std::string_view id, std::string text)
{
    if (auto label = document.elementById(id)) {
        label->setText(std::move(text));
        label->setNeedDisplay();
    }
}

}

ZMRFeedDocumentController::ZMRFeedDocumentController()
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRLikeChangedNotification, m_observerLife, [this](const pf::Notification&) { likeChangedAction(); });
}

ZMRFeedDocumentController::~ZMRFeedDocumentController()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
    if (m_topLikeDataSource)
        m_topLikeDataSource->setDelegate(nullptr);
}

void ZMRFeedDocumentController::documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& item,
                                                           const std::shared_ptr<IKRUIContext>& context)
{
    auto entry = item.dictionary();
    if (!entry)
        return;
    if (auto images = document.elementById("images")) {
        pf::Value list = entry->get("images");
        if (!list.isArray() || list.array()->count() == 0) {
            // Nothing to page through: no empty picture box in the row.
            images->setAttributeValue("true", "hidden");
            images->setAttributeValue("0", "height");
            images->setAttributeValue("0", "margin-top");
        } else if (images->valueForKey("images").isNil())
            images->setValue(list, "images");
    }
    if (auto tags = document.elementById("tags")) {
        fillTags(*tags, *entry, context);
        if (tags->childs().empty())
            tags->setAttributeValue("0", "height");
    }
    if (auto likedImage = document.elementById("liked-img"))
        likedImage->setAttributeValue(entry->get("liked").boolValue() ? "ico40.png" : "ico36.png", "src");
    setLabelText(document, "liked-label", std::to_string(ZMRFeedCount(entry->get("likedCount"))));
    setLabelText(document, "comment-label", std::to_string(ZMRFeedCount(entry->get("commentCount"))));
    auto money = document.elementById("money");
    double pay = ZMRDecimalNumber(entry->get("payMoney")).value_or(0);
    if (money && pay != 0) {
        addLabel(*money, "省¥", "money-title");
        addLabel(*money, savingText(pay - ZMRDecimalNumber(entry->get("expendMoney")).value_or(0)), "money-number");
    }
}

void ZMRFeedDocumentController::documentSetLiked(KRDOMDocument& document, bool liked, const pf::Value& item,
                                                 const std::shared_ptr<IKRUIContext>& context)
{
    if (auto image = std::dynamic_pointer_cast<KRDOMImageElement>(document.elementById("liked-img"))) {
        image->setSrc(std::string(liked ? "ico40.png" : "ico36.png"));
        if (context)
            context->handle(proto::IKRLocalImageTask(), image, 0);
        image->setNeedDisplay();
    }
    auto entry = item.dictionary();
    setLabelText(document, "liked-label", std::to_string(ZMRFeedCount(entry ? entry->get("likedCount") : pf::Value())));
}

void ZMRFeedDocumentController::documentUpdateCommentCount(KRDOMDocument& document, const pf::Value& item)
{
    auto entry = item.dictionary();
    setLabelText(document, "comment-label", std::to_string(ZMRFeedCount(entry ? entry->get("commentCount") : pf::Value())));
}

const std::optional<std::string>& ZMRFeedDocumentController::likeUserHTMLContent()
{
    if (m_likeUserRead)
        return m_likeUserHTMLContent;
    m_likeUserRead = true;
    auto bundle = this->bundle() ? this->bundle() : pf::Bundle::main();
    auto path = bundle ? bundle->pathForResource("like_user", "html") : std::nullopt;
    if (auto bytes = path ? pf::readFile(*path) : std::nullopt)
        m_likeUserHTMLContent = std::string(bytes->begin(), bytes->end());
    return m_likeUserHTMLContent;
}

void ZMRFeedDocumentController::setTopLikeDataSource(std::shared_ptr<KRDataSource> source)
{
    if (m_topLikeDataSource)
        m_topLikeDataSource->setDelegate(nullptr);
    m_topLikeDataSource = std::move(source);
    if (m_topLikeDataSource) {
        m_topLikeDataSource->setDelegate(shared_from_this());
        if (auto context = this->context())
            m_topLikeDataSource->setContext(context);
    }
}

void ZMRFeedDocumentController::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRDocumentController::setContext(context);
    if (m_topLikeDataSource)
        m_topLikeDataSource->setContext(std::move(context));
}

void ZMRFeedDocumentController::documentWillLoad()
{
    KRDocumentController::documentWillLoad();
    if (const KRDOMDocumentRef& built = document())
        documentWillLoadDataObject(*built, dataItem(), context());
}

void ZMRFeedDocumentController::reloadData()
{
    auto self = shared_from_this();
    if (m_topLikeDataSource)
        m_topLikeDataSource->reloadData();
    KRDocumentController::reloadData();
}

void ZMRFeedDocumentController::onActionElement(KRDOMElement& element)
{
    auto self = shared_from_this();
    auto entry = dataItem().dictionary();
    auto context = this->context();
    if (entry && context && element.attributeValueForKey("action-name") == std::string_view("like")) {
        std::weak_ptr<IKRUplinkTaskDelegate> redraw = std::static_pointer_cast<ZMRFeedDocumentController>(self);
        bool liked = ZMRToggleLike(entry, *context, redraw);
        if (const KRDOMDocumentRef& built = document())
            documentSetLiked(*built, liked, dataItem(), context);
    }
    KRDocumentController::onActionElement(element);
}

void ZMRFeedDocumentController::addCommentCount()
{
    auto entry = dataItem().dictionary();
    if (!entry)
        return;
    long long count = ZMRFeedCount(entry->get("commentCount"));
    entry->set("commentCount", count + (count < LLONG_MAX));
    if (const KRDOMDocumentRef& built = document())
        documentUpdateCommentCount(*built, dataItem());
}

void ZMRFeedDocumentController::likeChangedAction()
{
    if (m_topLikeDataSource && !m_topLikeDataSource->isLoading())
        m_topLikeDataSource->reloadData();
}

void ZMRFeedDocumentController::krDataSourceDidLoadedFromCache(KRDataSource& source, pf::Date)
{
    if (&source == m_topLikeDataSource.get())
        reloadLikeContent();
}

void ZMRFeedDocumentController::krDataSourceDidLoaded(KRDataSource& source)
{
    if (&source == m_topLikeDataSource.get())
        reloadLikeContent();
}

void ZMRFeedDocumentController::krDataSourceDidContentChanged(KRDataSource& source)
{
    if (&source == m_topLikeDataSource.get())
        reloadLikeContent();
}

void ZMRFeedDocumentController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error&, const pf::Protocol*)
{
    auto entry = dataItem().dictionary();
    if (const KRDOMDocumentRef& built = document())
        documentSetLiked(*built, entry && entry->get("liked").boolValue(), dataItem(), context());
}

void ZMRFeedDocumentController::reloadLikeContent()
{
    auto self = shared_from_this();
    const KRDOMDocumentRef& built = document();
    auto content = built ? built->elementById("likeContent") : nullptr;
    auto users = built ? built->elementById("likeUserContent") : nullptr;
    if (!content || !users)
        return;
    auto objects = m_topLikeDataSource ? m_topLikeDataSource->dataObjects() : nullptr;
    if (!objects || objects->count() == 0) {
        content->setAttributeValue("0", "height");
    } else {
        std::vector<KRDOMElementRef> old = users->childs();
        for (const auto& child : old)
            child->removeFromParentElement();
        const std::optional<std::string>& one = likeUserHTMLContent();
        for (std::size_t i = 0; one && i < objects->count() && i < kMostLikeUsers; ++i)
            KRDOMParse().parseHTML(htmlStringByDOMSource(*one, objects->at(i)), users);
        built->applyStyleSheet(users);
        built->scanfElements(users);
        content->setAttributeValue("62", "height");
        downloadImagesForElement(*users);
    }
    if (auto delegate = std::dynamic_pointer_cast<ZMRFeedDocumentControllerDelegate>(this->delegate()))
        delegate->feedDocumentControllerDidContentSizeChanged(*this);
}
