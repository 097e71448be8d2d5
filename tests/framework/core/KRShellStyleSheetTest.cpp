#include "framework/core/KRShell.h"
#include "framework/core/KRStyleSheetProvider.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

// Stand-ins for the sheets of the UI kit above the core.
class KRStyleController {};
class KRStyleSheet {
public:
    std::shared_ptr<KRStyleController> controller;
};

namespace {

struct FakeProvider final : IKRStyleSheetProvider {
    int made = 0;
    std::shared_ptr<KRStyleSheet> makeStyleSheet() override { return made++, std::make_shared<KRStyleSheet>(); }
    std::shared_ptr<KRStyleController> styleController(KRStyleSheet& sheet) override { return sheet.controller; }
    void setStyleController(KRStyleSheet& sheet, std::shared_ptr<KRStyleController> c) override { sheet.controller = c; }
};

}

// The markup sheet's road through its real provider is covered with the markup engine.
TEST(KRShellStyleSheets, SheetsAreMadeOnceThroughTheProviders)
{
    auto shell = KRShell::create(pf::Dictionary::create(), nullptr);
    EXPECT_FALSE(shell->styleController()); // no provider: no sheet, nothing breaks
    shell->loadDOMStyleSheet("a{b:c}");
    EXPECT_FALSE(shell->domStyleSheet());

    auto fake = std::make_shared<FakeProvider>();
    setStyleSheetProvider(fake);
    std::shared_ptr<KRStyleSheet> sheet = shell->styleSheet();
    EXPECT_EQ(shell->styleSheet(), sheet);
    EXPECT_EQ(fake->made, 1);
    setStyleSheetProvider(nullptr);
}
