#pragma once

// Shows one markup document in one view (a details page, a profile header):
// the template file of a bundle is filled from the controller (placeholders
// reach the data through "dataItem.…"), parsed with the context's markup
// style sheet, laid out to the document view's size and handed to the view;
// its images load from the local caches, then the network. Taps on action
// elements reach onActionElement, then the delegate.
//
// The document is built on first use and kept: a new dataItem shows only
// after setDocument(nullptr) and reloadData. documentLayout lays the kept
// document out again at the view's current size.
//
// Dynamic binding (a subclass answering true from
// hasDocumentDynamicDataBind) parses the template unfilled and, at the
// first layout, records the root element's text and attribute templates
// (children are not visited); every layout refills from those records only,
// so filled server text is never read as a template again.
//
// The template text is read once per controller (and name). The context
// and the delegate are not owned; the document view's delegate is cleared
// when the controller goes. Main queue only.

#include "framework/core/KRController.h"
#include "framework/dom/Forward.h"
#include "framework/dom/KRDOMView.h"
#include "framework/ui/KRViewImageTaskSource.h"
#include "framework/data/KRDocumentTemplate.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pf {
class Bundle;
}

class KRDocumentController;

class KRDocumentControllerDelegate {
public:
    virtual ~KRDocumentControllerDelegate() = default;
    virtual void krDocumentControllerDoActionElement(KRDocumentController&, KRDOMElement&) {}
};

// One template of dynamic binding: the element's text template, or the
// template of its attribute `key`.
class KRDocumentControllerDynamicData : public pf::Object {
public:
    KRDOMElementRef element;
    std::optional<std::string> text;
    std::optional<std::string> key;
    std::string value;
};

class KRDocumentController : public KRController,
                             public KRDocumentTemplate,
                             public KRDOMViewDelegate,
                             public KRViewImageTaskSource {
public:
    ~KRDocumentController() override;

    // Usually a KRDOMView whose delegate is this controller, both wired by
    // the interface file that holds them.
    const pf::ViewRef& documentView() const { return m_documentView; }
    void setDocumentView(pf::ViewRef view) { m_documentView = std::move(view); }
    // html, bundle and dataItem: see KRDocumentTemplate.
    // Built on first read; null makes the next read build it again.
    const KRDOMDocumentRef& document();
    void setDocument(KRDOMDocumentRef document);
    // Whether a document is kept, without building one.
    bool hasDocument() const { return m_document != nullptr; }
    // Lay out with an unbounded height (or width): the natural size.
    bool isAllowAutoHeight() const { return m_allowAutoHeight; }
    void setAllowAutoHeight(bool allow) { m_allowAutoHeight = allow; }
    bool isAllowAutoWidth() const { return m_allowAutoWidth; }
    void setAllowAutoWidth(bool allow) { m_allowAutoWidth = allow; }
    // Per dimension the larger of the root's content size and frame size.
    pf::Size contentSize();
    const std::vector<std::shared_ptr<KRDocumentControllerDynamicData>>& dynamicDatas() const { return m_dynamicDatas; }

    // Hooks, in the order a build meets them.
    virtual std::optional<std::string> htmlContent();
    virtual void documentWillLoad() {}
    virtual void documentDidLoad() {}
    virtual void documentWillLayout();
    virtual void documentDidLayout() {}
    virtual bool hasDocumentDynamicDataBind() { return false; }
    virtual void onActionElement(KRDOMElement&) {}
    // Shows the document (built now when needed) in the document view.
    virtual void reloadData();

    // Lays the built document out again at the view's bounds and rebinds
    // the view; before any build the view is left without an element.
    void documentLayout();
    void addElementToDynamicDatas(const KRDOMElementRef& element,
                                  std::vector<std::shared_ptr<KRDocumentControllerDynamicData>>& datas);
    void documentDynamicDataBind();

    // Image tasks of the document view: see KRViewImageTaskSource.
    void loadImagesForElement(KRDOMElement& element);
    void downloadImagesForElement(KRDOMElement& element);

    void krDOMViewDoActionElement(KRDOMView& view, KRDOMElement& element) override;

protected:
    std::shared_ptr<IKRUIContext> imageTaskContext() const override { return context(); }
    pf::ObjectRef imageTaskSource() override { return shared_from_this(); }

private:
    pf::Size layoutSize() const;
    void layoutRoot();

    pf::ViewRef m_documentView;
    KRDOMDocumentRef m_document;
    bool m_allowAutoHeight = false;
    bool m_allowAutoWidth = false;
    bool m_dynamicRecorded = false;
    std::vector<std::shared_ptr<KRDocumentControllerDynamicData>> m_dynamicDatas;
};
