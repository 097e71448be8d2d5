#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMLabel.h"
#include "framework/dom/KRDOMRegistration.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/InterfaceFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(KRDOMLabel, InterfaceFileTextIsMarkupLaidOutAgainOnResize)
{
    registerDOMClasses();
    pf::Bundle bundle(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/resources");
    auto file = pf::InterfaceFile::parse(R"(<interface><object id="l" class="KRDOMLabel">
        <rect name="frame">{{0, 0}, {200, 40}}</rect>
        <string name="text">&lt;label width="100%" height="auto"&gt;Saved&lt;/label&gt;</string>
        </object></interface>)", "Label", bundle);
    ASSERT_TRUE(file.ok()) << file.error().description;
    auto objects = file.value()->instantiate(pf::View::create());
    ASSERT_TRUE(objects.ok()) << objects.error().description;
    auto label = std::dynamic_pointer_cast<KRDOMLabel>(objects.value().at(0));
    ASSERT_TRUE(label && label->document());
    label->layoutIfNeeded();
    KRDOMElementRef root = label->document()->rootElement();
    EXPECT_EQ(root->text(), "Saved");
    EXPECT_EQ(root->frame().width(), 200);
    label->setFrame({0, 0, 120, 40});
    label->layoutIfNeeded();
    EXPECT_EQ(label->document()->rootElement(), root); // laid out again, not parsed again
    EXPECT_EQ(root->frame().width(), 120);
    label->setText("");
    EXPECT_FALSE(label->document());
}
