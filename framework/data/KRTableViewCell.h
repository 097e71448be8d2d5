#pragma once

// A table cell made from an interface file: the file's root view is the
// cell, and its views are filled from the cell's `dataItem` through a data
// outlet container applied with the cell as data object (key paths read
// "dataItem.title"), dressed by style containers that get the context's
// style sheet, and placed by a layout container run after every new item. Images load in two steps: the local caches at once,
// the network on the next turn of the main loop, so a cell reused before
// then never asks for an image it no longer shows. A cell may own a data
// source of its own, reloaded for each new item; taps on its buttons and
// on its markup's action and link elements reach its delegate.
//
// The context, the delegate and the controller are not owned. Main queue only.

#include "framework/dom/KRDOMView.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "platform/controls/TableViewCell.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <string>

class IKRUIContext;
class KRDataOutletContainer;
class KRLayoutContainer;
class KRDataSource;

namespace pf {
class Bundle;
}

class KRTableViewCell : public pf::TableViewCell, public KRDataSourceDelegate, public KRDOMViewDelegate {
public:
    KRTableViewCell() = default;
    ~KRTableViewCell() override;

    // The root of interface file `nibName` (the main bundle when `bundle` is
    // null), loaded with a transient view controller as owner; null when the
    // file fails to load or its root is no KRTableViewCell.
    static std::shared_ptr<KRTableViewCell> tableViewCellWithNibName(const std::string& nibName,
                                                                     const pf::Bundle* bundle);

    const pf::Value& dataItem() const { return m_dataItem; }
    // A new item: outlets, the old item's downloads withdrawn, cached images,
    // the network download on the next turn, and the own source reloaded.
    // The same item again only re-applies outlets and re-schedules the download.
    void setDataItem(const pf::Value& item);

    std::shared_ptr<IKRUIContext> context() const { return m_context.lock(); }
    // A different context is handed on to the own data source.
    void setContext(std::weak_ptr<IKRUIContext> context);
    const std::shared_ptr<KRDataOutletContainer>& dataOutletContainer() const { return m_dataOutletContainer; }
    void setDataOutletContainer(std::shared_ptr<KRDataOutletContainer> container);
    const std::shared_ptr<KRLayoutContainer>& layoutContainer() const { return m_layoutContainer; }
    void setLayoutContainer(std::shared_ptr<KRLayoutContainer> container) { m_layoutContainer = std::move(container); }
    // Style outlet containers; each gets the context's style sheet.
    const pf::ArrayRef& styleContainers() const { return m_styleContainers; }
    void setStyleContainers(pf::ArrayRef containers);
    // The last of styleContainers; setting it makes it the only one.
    pf::ObjectRef styleContainer() const;
    void setStyleContainer(const pf::ObjectRef& container);
    const std::shared_ptr<KRDataSource>& dataSource() const { return m_dataSource; }
    // The cell becomes the source's delegate (and no longer the old one's).
    void setDataSource(std::shared_ptr<KRDataSource> dataSource);
    // Told only when it is a KRTableViewCellDelegate.
    pf::ObjectRef delegate() const { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) { m_delegate = delegate; }
    pf::ObjectRef controller() const { return m_controller.lock(); }
    void setController(const pf::ObjectRef& controller) { m_controller = controller; }
    // Free for the owner.
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    const pf::Value& userInfo() const { return m_userInfo; }
    void setUserInfo(const pf::Value& userInfo) { m_userInfo = userInfo; }

    // The target of the file's buttons: a sender that is an action goes to the delegate.
    void doAction(const pf::ObjectRef& sender);
    // Action elements go to the delegate as they are; a link (a name
    // beginning with "a" and a non-empty "href") as an action named "url"
    // carrying the href. Other elements are ignored.
    void krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element) override;

    void downloadImagesForView(pf::View& view);
    void loadImagesForView(pf::View& view);
    void cancelDownloadImagesForView(pf::View& view);

    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

private:
    void applyOutlets();
    void layout();
    void dressWithStyleSheet();
    void scheduleDownload();
    void refill(KRDataSource& sender);
    void sendAction(const pf::ObjectRef& action);

    std::weak_ptr<IKRUIContext> m_context;
    std::shared_ptr<KRDataOutletContainer> m_dataOutletContainer;
    std::shared_ptr<KRLayoutContainer> m_layoutContainer;
    pf::ArrayRef m_styleContainers;
    int m_index = 0;
    pf::Value m_userInfo;
    pf::WeakObject m_delegate;
    pf::Value m_dataItem;
    std::shared_ptr<KRDataSource> m_dataSource;
    pf::WeakObject m_controller;
};
