#include "framework/dom/KRDOMRegistration.h"

#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRStyleSheetProvider.h"
#include "framework/dom/KRDOMLabel.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "platform/controls/ControlsRegistration.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Log.h"

namespace {

class DOMStyleSheetProvider final : public IKRDOMStyleSheetProvider {
public:
    std::shared_ptr<KRDOMStyleSheet> makeDOMStyleSheet() override { return std::make_shared<KRDOMStyleSheet>(); }

    void loadDOMStyleSheet(KRDOMStyleSheet& sheet, std::string_view text) override
    {
        // A text cut off inside a rule still adds the rules before it, and
        // documents restyle with them.
        if (!KRDOMParse().parseCSS(text, sheet))
            pf::log("Style sheet ends inside a rule or comment; the rules before it are kept");
        sheet.setVersion(sheet.version() + 1);
    }
};

}

void registerDOMClasses()
{
    registerCoreClasses();
    pf::registerControlsClasses();
    if (!pf::Class::named("KRDOMLabel"))
        pf::ClassBuilder<KRDOMLabel>("KRDOMLabel")
            .superclass<pf::Label>()
            .property("text", &KRDOMLabel::text, &KRDOMLabel::setText)
            .commit();
    if (!domStyleSheetProvider())
        setDOMStyleSheetProvider(std::make_shared<DOMStyleSheetProvider>());
}
