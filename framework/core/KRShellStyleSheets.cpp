// The shell as owner of the application-wide style sheets. Both are made on
// first use through the providers their libraries install and kept for the
// life of the shell; nothing replaces or empties them.

#include "framework/core/KRShell.h"

#include "framework/core/KRStyleSheetProvider.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

std::shared_ptr<KRStyleSheet> KRShell::styleSheet()
{
    PF_ASSERT_MAIN_THREAD();
    if (!m_styleSheet) {
        if (const auto& provider = styleSheetProvider())
            m_styleSheet = provider->makeStyleSheet();
        else
            pf::log("No named-style sheet: the UI kit is not registered");
    }
    return m_styleSheet;
}

std::shared_ptr<KRStyleController> KRShell::styleController()
{
    std::shared_ptr<KRStyleSheet> sheet = styleSheet();
    const auto& provider = styleSheetProvider();
    return sheet && provider ? provider->styleController(*sheet) : nullptr;
}

void KRShell::setStyleController(std::shared_ptr<KRStyleController> controller)
{
    std::shared_ptr<KRStyleSheet> sheet = styleSheet();
    if (const auto& provider = styleSheetProvider(); sheet && provider)
        provider->setStyleController(*sheet, std::move(controller));
}

std::shared_ptr<KRDOMStyleSheet> KRShell::domStyleSheet()
{
    PF_ASSERT_MAIN_THREAD();
    if (!m_domStyleSheet) {
        if (const auto& provider = domStyleSheetProvider())
            m_domStyleSheet = provider->makeDOMStyleSheet();
        else
            pf::log("No markup style sheet: the markup engine is not registered");
    }
    return m_domStyleSheet;
}

void KRShell::loadDOMStyleSheet(std::string_view text)
{
    std::shared_ptr<KRDOMStyleSheet> sheet = domStyleSheet();
    if (const auto& provider = domStyleSheetProvider(); sheet && provider)
        provider->loadDOMStyleSheet(*sheet, text);
}
