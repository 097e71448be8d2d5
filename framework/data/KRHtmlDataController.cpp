#include "framework/data/KRHtmlDataController.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/ScrollView.h"

KRHtmlDataController::~KRHtmlDataController()
{
    if (m_webView) {
        m_webView->setDelegate(nullptr);
        m_webView->stopLoading();
    }
}

void KRHtmlDataController::setShowShadows(bool show)
{
    if (!m_webView)
        return;
    auto toggle = [show](const pf::View& parent) {
        for (const auto& view : parent.subviews())
            if (std::dynamic_pointer_cast<pf::ImageView>(view))
                view->setHidden(!show);
    };
    // Asking for the scroll view puts the web view's parts in place first.
    auto scroll = m_webView->scrollView();
    toggle(*m_webView);
    toggle(*scroll);
}
