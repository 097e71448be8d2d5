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

#include "framework/data/KRItemBinding.h"
#include "framework/dom/KRDOMView.h"
#include "platform/controls/TableViewCell.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <string>

namespace pf {
class Bundle;
}

class KRTableViewCell : public pf::TableViewCell, public KRItemBinding, public KRDOMViewDelegate {
public:
    KRTableViewCell() : KRItemBinding(static_cast<pf::Object&>(*this)) {}

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

    // Context, data source, outlet and layout containers, image tasks and
    // refills: see KRItemBinding. A different context also dresses the
    // style containers and runs the layout.

    // Style outlet containers; each gets the context's style sheet.
    const pf::ArrayRef& styleContainers() const { return m_styleContainers; }
    void setStyleContainers(pf::ArrayRef containers);
    // The last of styleContainers; setting it makes it the only one.
    pf::ObjectRef styleContainer() const;
    void setStyleContainer(const pf::ObjectRef& container);
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

protected:
    void didChangeContext() override;
    pf::View* boundView() override { return this; }

private:
    void dressWithStyleSheet();
    void scheduleDownload();
    void sendAction(const pf::ObjectRef& action);

    pf::ArrayRef m_styleContainers;
    int m_index = 0;
    pf::Value m_userInfo;
    pf::WeakObject m_delegate;
    pf::Value m_dataItem;
    pf::WeakObject m_controller;
};
