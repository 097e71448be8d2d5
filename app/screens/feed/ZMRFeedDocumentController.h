#pragma once

// One feed entry as a markup document: the head of the details screen, and
// (through the static fillers) every row of the feed lists. The template
// binds plain text; the fillers add what needs code, each step skipped when
// the template has no element of its id:
//
// - "images": its value "images" becomes the entry's "images" array once;
//   for an entry without pictures (no array, or an empty one) it is hidden,
//   its height and top margin "0", so no empty picture box shows;
// - "tags": an icon ("ico33.png", class "tag-image") and a text (class
//   "tag-label") per known category of "cids" (looked up in the local
//   table; ids that are unknown, declined or not numbers add nothing), then
//   per text of "tags" (a text, or a dictionary's text "tag"), six pairs in
//   all; with none the element's height is "0";
// - "liked-img" ("ico40.png" when the entry is liked, else "ico36.png")
//   and "liked-label" (ZMRFeedCount of "likedCount");
// - "comment-label": ZMRFeedCount of "commentCount";
// - "money": when "payMoney" is a finite non-zero amount, "省¥" (class
//   "money-title") and the saving, payMoney less expendMoney, grouped by
//   three with up to two decimals (class "money-number").
//
// The controller adds the strip of people who liked the entry: the
// "like_user" template of the bundle (".html", read once) filled per person
// of `topLikeDataSource`, at most five, into "likeUserContent", and
// "likeContent" 62 points high, or 0 without anyone. A "like" action
// toggles the like (ZMRFeedLikeTask.h); every successful like anywhere
// reloads the strip.
//
// The data source, context and delegate are not owned. Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/data/KRDocumentController.h"

#include <cstdint>

class KRDataSource;
class ZMRFeedDocumentController;

class ZMRFeedDocumentControllerDelegate : public KRDocumentControllerDelegate {
public:
    // The like strip changed its height.
    virtual void feedDocumentControllerDidContentSizeChanged(ZMRFeedDocumentController&) {}
};

class ZMRFeedDocumentController : public KRDocumentController,
                                  public KRDataSourceDelegate,
                                  public IKRUplinkTaskDelegate {
public:
    ZMRFeedDocumentController();
    ~ZMRFeedDocumentController() override;

    // The shared fillers. `item` is the entry; anything but a dictionary
    // fills nothing.
    static void documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& item,
                                           const std::shared_ptr<IKRUIContext>& context);
    static void documentSetLiked(KRDOMDocument& document, bool liked, const pf::Value& item,
                                 const std::shared_ptr<IKRUIContext>& context);
    // The fillers read an entry's numbers as every screen does
    // (ZMRNumberText.h), so the feed and the ledger agree on them: a category
    // id of "cids" is a whole number, an amount ("payMoney", "expendMoney") a
    // decimal number, anything else being no category and an amount of 0.
    static void documentUpdateCommentCount(KRDOMDocument& document, const pf::Value& item);

    // Nothing when the bundle has no "like_user.html".
    const std::optional<std::string>& likeUserHTMLContent();
    const std::shared_ptr<KRDataSource>& topLikeDataSource() const { return m_topLikeDataSource; }
    void setTopLikeDataSource(std::shared_ptr<KRDataSource> source);

    void setContext(std::weak_ptr<IKRUIContext> context) override;
    void documentWillLoad() override;
    void reloadData() override;
    void onActionElement(KRDOMElement& element) override;
    // "commentCount" of the entry plus one, shown at once.
    void addCommentCount();
    void reloadLikeContent();

    void krDataSourceDidLoadedFromCache(KRDataSource& source, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& source) override;
    void krDataSourceDidContentChanged(KRDataSource& source) override;
    // A refused like: the entry is back as it was; show it.
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    void likeChangedAction();

    std::optional<std::string> m_likeUserHTMLContent;
    bool m_likeUserRead = false;
    std::shared_ptr<KRDataSource> m_topLikeDataSource;
    // Owns the notification registration: it ends with the controller.
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observer = 0;
};
