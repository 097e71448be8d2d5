#include "framework/data/KRDocumentController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRViewImageTasks.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMStyleSheet.h"

#include <algorithm>
#include <cfloat>

KRDocumentController::~KRDocumentController()
{
    // The document view holds its delegate weakly: it is cleared with us.
    if (auto context = this->context())
        context->cancelHandleForSource(this);
}

std::optional<std::string> KRDocumentController::htmlContent()
{
    const std::optional<std::string>& text = templateText();
    if (!text)
        return std::nullopt;
    if (hasDocumentDynamicDataBind())
        return text;
    return htmlStringByDOMSource(*text, pf::Value(shared_from_this()));
}

const KRDOMDocumentRef& KRDocumentController::document()
{
    if (m_document)
        return m_document;
    auto self = shared_from_this();
    m_document = KRDOMDocument::create();
    auto document = m_document;
    KRDOMParse().parseHTML(htmlContent().value_or(std::string()), *document);
    documentWillLoad();
    if (auto context = this->context())
        document->setStyleSheet(context->domStyleSheet());
    documentDidLoad();
    layoutRoot();
    if (auto root = document->rootElement())
        downloadImagesForElement(*root);
    return m_document;
}

void KRDocumentController::setDocument(KRDOMDocumentRef document)
{
    if (document == m_document)
        return;
    m_document = std::move(document);
    // The records belong to the old tree.
    m_dynamicDatas.clear();
    m_dynamicRecorded = false;
}

pf::Size KRDocumentController::contentSize()
{
    auto root = document() ? m_document->rootElement() : nullptr;
    if (!root)
        return {};
    return {std::max(root->contentSize().width, root->frame().width()),
            std::max(root->contentSize().height, root->frame().height())};
}

pf::Size KRDocumentController::layoutSize() const
{
    pf::Size size = m_documentView ? m_documentView->bounds().size : pf::Size();
    if (m_allowAutoWidth)
        size.width = FLT_MAX;
    if (m_allowAutoHeight)
        size.height = FLT_MAX;
    return size;
}

void KRDocumentController::layoutRoot()
{
    documentWillLayout();
    if (auto root = m_document ? m_document->rootElement() : nullptr)
        root->layout(layoutSize());
    documentDidLayout();
}

void KRDocumentController::documentWillLayout()
{
    if (!hasDocumentDynamicDataBind())
        return;
    if (!m_dynamicRecorded && m_document) {
        m_dynamicRecorded = true;
        addElementToDynamicDatas(m_document->rootElement(), m_dynamicDatas);
    }
    documentDynamicDataBind();
}

void KRDocumentController::addElementToDynamicDatas(
    const KRDOMElementRef& element, std::vector<std::shared_ptr<KRDocumentControllerDynamicData>>& datas)
{
    if (!element)
        return;
    if (element->text().find('{') != std::string::npos) {
        auto data = std::make_shared<KRDocumentControllerDynamicData>();
        data->element = element;
        data->text = element->text();
        datas.push_back(data);
    }
    for (const auto& key : element->attributes().keys()) {
        auto value = element->attributeValueForKey(key);
        if (!value || value->find('{') == std::string_view::npos)
            continue;
        auto data = std::make_shared<KRDocumentControllerDynamicData>();
        data->element = element;
        data->key = key;
        data->value = std::string(*value);
        datas.push_back(data);
    }
}

void KRDocumentController::documentDynamicDataBind()
{
    pf::Value source(shared_from_this());
    for (const auto& data : m_dynamicDatas) {
        if (data->text)
            data->element->setText(htmlStringByDOMSource(*data->text, source));
        else if (data->key)
            data->element->setAttributeValue(htmlStringByDOMSource(data->value, source), *data->key);
    }
}

void KRDocumentController::reloadData()
{
    auto self = shared_from_this();
    auto root = document() ? m_document->rootElement() : nullptr;
    auto view = std::dynamic_pointer_cast<KRDOMView>(m_documentView);
    if (!view)
        return;
    cancelDownloadImagesForView(*view);
    view->setElement(root);
    downloadImagesForView(*view);
}

void KRDocumentController::documentLayout()
{
    if (!m_document)
        return;
    auto self = shared_from_this();
    layoutRoot();
    auto root = m_document->rootElement();
    if (root)
        downloadImagesForElement(*root);
    auto view = std::dynamic_pointer_cast<KRDOMView>(m_documentView);
    if (!view)
        return;
    cancelDownloadImagesForView(*view);
    view->setElement(nullptr);
    view->setElement(root);
    downloadImagesForView(*view);
}

void KRDocumentController::loadImagesForElement(KRDOMElement& element)
{
    if (auto context = this->context())
        KRLoadImagesForElement(*context, element, KRLocalImageScope::All);
}

void KRDocumentController::downloadImagesForElement(KRDOMElement& element)
{
    if (auto context = this->context())
        KRDownloadImagesForElement(*context, shared_from_this(), element);
}

void KRDocumentController::krDOMViewDoActionElement(KRDOMView&, KRDOMElement& element)
{
    auto self = shared_from_this();
    onActionElement(element);
    if (auto delegate = std::dynamic_pointer_cast<KRDocumentControllerDelegate>(this->delegate()))
        delegate->krDocumentControllerDoActionElement(*this, element);
}
