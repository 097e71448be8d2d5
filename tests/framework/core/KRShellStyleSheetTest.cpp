#include "framework/core/KRShell.h"
#include "framework/core/KRStyleSheetProvider.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

// Stand-ins for the sheets of the libraries above the core.
class KRStyleController {};
class KRStyleSheet {
public:
    std::shared_ptr<KRStyleController> controller;
};
class KRDOMStyleSheet {
public:
    std::vector<std::string> texts;
};

namespace {

struct FakeProviders final : IKRStyleSheetProvider, IKRDOMStyleSheetProvider {
    int made = 0;
    std::shared_ptr<KRStyleSheet> makeStyleSheet() override { return made++, std::make_shared<KRStyleSheet>(); }
    std::shared_ptr<KRStyleController> styleController(KRStyleSheet& sheet) override { return sheet.controller; }
    void setStyleController(KRStyleSheet& sheet, std::shared_ptr<KRStyleController> c) override { sheet.controller = c; }
    std::shared_ptr<KRDOMStyleSheet> makeDOMStyleSheet() override { return made++, std::make_shared<KRDOMStyleSheet>(); }
    void loadDOMStyleSheet(KRDOMStyleSheet& sheet, std::string_view text) override { sheet.texts.emplace_back(text); }
};

}

TEST(KRShellStyleSheets, SheetsAreMadeOnceThroughTheProviders)
{
    auto shell = KRShell::create(pf::Dictionary::create(), nullptr);
    EXPECT_FALSE(shell->styleController()); // no provider: no sheet, nothing breaks
    shell->loadDOMStyleSheet("a{b:c}");
    EXPECT_FALSE(shell->domStyleSheet());

    auto fakes = std::make_shared<FakeProviders>();
    setStyleSheetProvider(fakes);
    setDOMStyleSheetProvider(fakes);
    EXPECT_FALSE(shell->styleController()); // a fresh sheet has none
    std::shared_ptr<KRStyleSheet> sheet = shell->styleSheet();
    auto controller = std::make_shared<KRStyleController>();
    shell->setStyleController(controller);
    EXPECT_EQ(shell->styleController(), controller);
    shell->loadDOMStyleSheet("a{b:c}");
    shell->loadDOMStyleSheet("d{e:f}");
    EXPECT_EQ(shell->domStyleSheet()->texts, (std::vector<std::string>{"a{b:c}", "d{e:f}"}));
    EXPECT_EQ(shell->styleSheet(), sheet);
    EXPECT_EQ(fakes->made, 2);
    setStyleSheetProvider(nullptr);
    setDOMStyleSheetProvider(nullptr);
}
