#include "framework/core/KRShell.h"
#include "framework/core/KRStyleSheetProvider.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

// Stand-ins for the sheets of the libraries above the core.
class KRStyleController {};
class KRStyleSheet {
public:
    std::shared_ptr<KRStyleController> controller;
    int version = 0;
};
class KRDOMStyleSheet {
public:
    std::vector<std::string> texts;
    int version = 0;
};

namespace {

struct FakeProviders final : IKRStyleSheetProvider, IKRDOMStyleSheetProvider {
    int made = 0;
    std::shared_ptr<KRStyleSheet> makeStyleSheet() override
    {
        made++;
        return std::make_shared<KRStyleSheet>();
    }
    std::shared_ptr<KRStyleController> styleController(KRStyleSheet& sheet) override { return sheet.controller; }
    void setStyleController(KRStyleSheet& sheet, std::shared_ptr<KRStyleController> controller) override
    {
        if (controller != sheet.controller)
            sheet.version++;
        sheet.controller = std::move(controller);
    }
    std::shared_ptr<KRDOMStyleSheet> makeDOMStyleSheet() override
    {
        made++;
        return std::make_shared<KRDOMStyleSheet>();
    }
    void loadDOMStyleSheet(KRDOMStyleSheet& sheet, std::string_view text) override
    {
        sheet.texts.emplace_back(text);
        sheet.version++;
    }
};

}

TEST(KRShellStyleSheets, SheetsAreMadeOnceThroughTheProviders)
{
    auto shell = KRShell::create(pf::Dictionary::create(), nullptr);
    setStyleSheetProvider(nullptr);
    setDOMStyleSheetProvider(nullptr);
    EXPECT_FALSE(shell->styleController());
    EXPECT_FALSE(shell->domStyleSheet());
    shell->loadDOMStyleSheet("a{b:c}"); // nothing to load into

    auto fakes = std::make_shared<FakeProviders>();
    setStyleSheetProvider(fakes);
    setDOMStyleSheetProvider(fakes);
    EXPECT_FALSE(shell->styleController()); // a fresh sheet has none
    std::shared_ptr<KRStyleSheet> sheet = shell->styleSheet();
    ASSERT_TRUE(sheet);
    auto controller = std::make_shared<KRStyleController>();
    shell->setStyleController(controller);
    EXPECT_EQ(shell->styleController(), controller);
    EXPECT_EQ(sheet->version, 1);

    shell->loadDOMStyleSheet("a{b:c}");
    shell->loadDOMStyleSheet("d{e:f}");
    std::shared_ptr<KRDOMStyleSheet> dom = shell->domStyleSheet();
    ASSERT_TRUE(dom);
    EXPECT_EQ(dom->version, 2);
    EXPECT_EQ(dom->texts, (std::vector<std::string>{"a{b:c}", "d{e:f}"}));
    EXPECT_EQ(shell->styleSheet(), sheet);
    EXPECT_EQ(fakes->made, 2);
    setStyleSheetProvider(nullptr);
    setDOMStyleSheetProvider(nullptr);
}
