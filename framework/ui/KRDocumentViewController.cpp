#include "framework/ui/KRDocumentViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"

void KRDocumentViewController::setConfig(pf::DictionaryRef config)
{
    KRViewController::setConfig(config);
    if (auto name = config ? config->string("html") : std::nullopt)
        m_html = *name;
}

std::optional<std::string> KRDocumentViewController::htmlContent()
{
    if (m_html.empty())
        return std::nullopt;
    if (m_html.front() == '/' || m_html.find("..") != std::string::npos) {
        pf::log("%s: refused template name %s", alias().c_str(), m_html.c_str());
        return std::nullopt;
    }
    std::shared_ptr<pf::Bundle> main = pf::Bundle::main();
    const pf::Bundle* bundle = nibBundle() ? nibBundle() : main.get();
    if (!bundle)
        return std::nullopt;
    auto bytes = pf::readFile(bundle->resourcePath() + "/" + m_html);
    if (!bytes) {
        pf::log("%s: cannot read template %s", alias().c_str(), m_html.c_str());
        return std::nullopt;
    }
    std::string text(bytes->begin(), bytes->end());
    return htmlStringByDOMSource(text, pf::Value(weak_from_this().lock()));
}

void KRDocumentViewController::reloadData()
{
    auto keep = weak_from_this().lock();
    KRDOMParse parser;
    auto document = KRDOMDocument::create();
    parser.parseHTML(htmlContent().value_or(""), *document);
    if (auto context = this->context())
        document->setStyleSheet(context->domStyleSheet());
    m_document = std::move(document);
    refreshView();
}

void KRDocumentViewController::refreshView()
{
    if (!m_documentView || !m_document)
        return;
    if (!m_document->rootElement()) {
        m_documentView->setElement(nullptr); // an empty document shows nothing
        return;
    }
    const KRDOMElementRef& root = m_document->rootElement();
    pf::Rect frame = m_documentView->frame();
    pf::Size content = root->layout(frame.size);
    m_documentView->setElement(root);
    m_documentView->setFrame(pf::Rect(frame.origin, pf::Size{frame.width(), content.height}));
    if (auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(m_documentView->superview()))
        scroll->setContentSize(pf::Size{0, frame.y() + content.height});
}

void KRDocumentViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    reloadData();
}

