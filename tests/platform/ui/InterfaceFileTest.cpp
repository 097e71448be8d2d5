#include "platform/foundation/ActionSender.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pf;

namespace {

std::vector<std::string>* g_awake = nullptr;

// An object with every kind of key, outlets and a delegate.
class Part : public View {
public:
    std::string name() const { return m_name; }
    void setName(std::string v) { m_name = std::move(v); }
    Font font() const { return m_font; }
    void setFont(Font v) { m_font = std::move(v); }
    Size extent() const { return m_extent; }
    void setExtent(Size v) { m_extent = v; }
    EdgeInsets margins() const { return m_margins; }
    void setMargins(EdgeInsets v) { m_margins = v; }
    Value extra() const { return m_extra; }
    void setExtra(Value v) { m_extra = std::move(v); }
    std::shared_ptr<Part> buddy() const { return m_buddy; }
    void setBuddy(std::shared_ptr<Part> v) { m_buddy = std::move(v); }
    ObjectRef delegate() const { return m_delegate.lock(); }
    void setDelegate(ObjectRef v) { m_delegate = v; }
    ArrayRef parts() const { return m_parts; }
    void setParts(ArrayRef v) { m_parts = std::move(v); }
    void awakeFromNib() override
    {
        // Links are all made before the first awake.
        if (g_awake)
            g_awake->push_back(m_name + (m_buddy ? "+buddy" : "") + (m_parts ? "+parts" : ""));
    }

private:
    std::string m_name;
    Font m_font;
    Size m_extent;
    EdgeInsets m_margins;
    Value m_extra;
    std::shared_ptr<Part> m_buddy;
    std::weak_ptr<Object> m_delegate;
    ArrayRef m_parts;
};

class Switch : public Part, public ActionSender {
public:
    bool addActionForEvent(std::string_view event, std::function<void(const ObjectRef&)> action) override
    {
        if (event != "touchUpInside")
            return false;
        m_actions.push_back(std::move(action));
        return true;
    }
    void fire()
    {
        for (auto& a : m_actions)
            a(shared_from_this());
    }

private:
    std::vector<std::function<void(const ObjectRef&)>> m_actions;
};

class Screenish : public ViewController {
public:
    ArrayRef controllers() const { return m_controllers; }
    void setControllers(ArrayRef v) { m_controllers = std::move(v); }
    void doAction(const ObjectRef& sender) { senders.push_back(sender); }
    std::vector<ObjectRef> senders;

private:
    ArrayRef m_controllers;
};

class AnyKeys : public Object {
public:
    std::optional<Error> setValueForUndefinedKey(std::string_view key, const Value& value) override
    {
        values.set(key, value);
        return std::nullopt;
    }
    Dictionary values;
};

void registerParts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUiClasses();
    ClassBuilder<Part>("TestPart")
        .superclass<View>()
        .property("name", &Part::name, &Part::setName)
        .property("font", &Part::font, &Part::setFont)
        .property("extent", &Part::extent, &Part::setExtent)
        .property("margins", &Part::margins, &Part::setMargins)
        .property("extra", &Part::extra, &Part::setExtra)
        .property("buddy", &Part::buddy, &Part::setBuddy)
        .weakProperty("delegate", &Part::delegate, &Part::setDelegate)
        .property("parts", &Part::parts, &Part::setParts)
        .commit();
    ClassBuilder<Switch>("TestSwitch").superclass<Part>().commit();
    ClassBuilder<Screenish>("TestScreen")
        .superclass<ViewController>()
        .property("controllers", &Screenish::controllers, &Screenish::setControllers)
        .action("doAction", &Screenish::doAction)
        .commit();
    ClassBuilder<AnyKeys>("TestAnyKeys").takesAnyKey().commit();
}

class InterfaceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerParts();
        dir = std::filesystem::temp_directory_path() /
              ("iface-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir / "interface");
        auto dot = Bitmap::create(8, 4).value();
        dot->fill(Color::rgb(0, 1, 0));
        ASSERT_FALSE(dot->writePng((dir / "dot.png").string()));
        bundle = std::make_shared<Bundle>(dir.string());
        g_awake = &awake;
    }
    void TearDown() override
    {
        g_awake = nullptr;
        std::filesystem::remove_all(dir);
    }
    ErrorOr<InterfaceFileRef> parse(const std::string& body, const std::string& owner = "TestScreen")
    {
        return InterfaceFile::parse("<interface owner=\"" + owner + "\">\n" + body + "\n</interface>", "Test",
                                    *bundle);
    }

    std::filesystem::path dir;
    std::shared_ptr<Bundle> bundle;
    std::vector<std::string> awake;
};

}

TEST_F(InterfaceFiles, EveryValueKindReachesItsKey)
{
    auto file = parse(R"(<object id="view" class="TestPart">
  <string name="name">确定</string> <number name="alpha">0.5</number> <bool name="hidden">YES</bool>
  <color name="backgroundColor">#ff0000 0.5</color> <font name="font">14 bold</font>
  <image name="contents" left="3" top="1">dot</image> <size name="extent">{3, 4}</size> <rect name="frame">{{10, 20}, {30, 40}}</rect>
  <insets name="margins">{1, 2, 3, 4}</insets> <enum name="contentsGravity">topLeft</enum>
  <flags name="autoresizingMask">flexibleWidth|flexibleHeight</flags>
  <point name="center">{1, -2}</point> <array name="extra"><number>1</number><string>two</string><null/>
    <dictionary><bool key="k">NO</bool></dictionary></array>
</object>
<outlet name="view" to="view"/>)");
    ASSERT_TRUE(file.ok()) << file.error().description;
    auto owner = std::make_shared<Screenish>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects.ok()) << objects.error().description;
    auto part = std::dynamic_pointer_cast<Part>(owner->viewIfLoaded());
    ASSERT_TRUE(part);
    EXPECT_EQ(objects.value().size(), 1u);
    EXPECT_EQ(part->name(), "确定");
    EXPECT_EQ(part->alpha(), 0.5);
    EXPECT_TRUE(part->isHidden());
    EXPECT_EQ(part->backgroundColor(), Color::rgb(1, 0, 0, 0.5));
    EXPECT_EQ(part->font(), Font(Font::defaultFamily(), 14, FontWeight::Bold));
    ASSERT_TRUE(part->contents());
    EXPECT_EQ(part->contents()->capInsets(), (EdgeInsets{1, 3, 2, 4}));
    EXPECT_EQ(part->extent(), (Size{3, 4}));
    EXPECT_EQ(part->frame(), Rect(-14, -22, 30, 40)); // the centre came after the frame
    EXPECT_EQ(part->margins(), (EdgeInsets{1, 2, 3, 4}));
    EXPECT_EQ(part->contentsGravity(), ImageGravity::TopLeft);
    EXPECT_EQ(part->autoresizingMask(), Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    EXPECT_EQ(part->extra().description(), "(\n    1,\n    two,\n    (null),\n    {\n        k = 0;\n    }\n)");
}

TEST_F(InterfaceFiles, LinksCollectionsAndActionsComeBeforeAwakeInDocumentOrder)
{
    auto file = parse(R"(<object id="root" class="TestPart"><string name="name">root</string>
  <subviews>
    <object id="a" class="TestSwitch"><string name="name">a</string><outlet name="buddy" to="b"/>
      <outlet name="delegate" to="owner"/>
      <action event="touchUpInside" target="owner" name="doAction"/></object>
    <object id="b" class="TestPart"><string name="name">b</string><outlet name="delegate" to="a"/></object>
  </subviews>
  <collection name="parts"><ref to="b"/><ref to="a"/><ref to="b"/></collection>
</object>
<object id="bag" class="TestAnyKeys"><number name="pageSize">20</number><outlet name="table" to="a"/></object>
<outlet name="view" to="root"/>
<collection name="controllers"><ref to="bag"/></collection>)");
    ASSERT_TRUE(file.ok()) << file.error().description;
    auto owner = std::make_shared<Screenish>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects.ok()) << objects.error().description;
    EXPECT_EQ(awake, (std::vector<std::string>{"root+parts", "a+buddy", "b"}));
    auto root = std::static_pointer_cast<Part>(owner->viewIfLoaded());
    ASSERT_EQ(root->subviews().size(), 2u);
    auto a = std::static_pointer_cast<Switch>(root->subviews()[0]);
    auto b = std::static_pointer_cast<Part>(root->subviews()[1]);
    EXPECT_EQ(a->buddy(), b);
    EXPECT_EQ(a->delegate(), owner);
    EXPECT_EQ(b->delegate(), a);
    std::vector<std::string> order;
    for (const Value& v : *root->parts())
        order.push_back(v.objectAs<Part>()->name());
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "b"}));
    auto bag = owner->controllers()->at(0).objectAs<AnyKeys>();
    ASSERT_TRUE(bag);
    EXPECT_EQ(bag->values.get("pageSize").intValue(), 20);
    EXPECT_EQ(bag->values.get("table").object(), a);
    a->fire();
    ASSERT_EQ(owner->senders.size(), 1u);
    EXPECT_EQ(owner->senders[0], a);
}

TEST_F(InterfaceFiles, BrokenFilesFailWithTheirLineAndLeaveTheOwnerAlone)
{
    const std::string deep = [] {
        std::string s, e;
        for (int i = 0; i < 70; ++i) {
            s += "<object class=\"TestPart\"><subviews>";
            e += "</subviews></object>";
        }
        return s + e;
    }();
    std::string many;
    for (int i = 0; i < 10001; ++i)
        many += "<object class=\"TestPart\"/>";
    struct Row {
        std::string body;
        std::string owner;
        std::string error; // contained in the message
    };
    const Row rows[] = {
        {"<object class=\"NoSuch\"/>", "TestScreen", "Test.xml:2: no class \"NoSuch\""},
        {"<object class=\"TestPart\"><string name=\"nokey\">x</string></object>", "TestScreen", ":2: \"TestPart\" has no key"},
        {"<object class=\"TestPart\"><rect name=\"name\">{{0,0},{1,1}}</rect></object>", "TestScreen", "does not take a <rect>"},
        {"<object class=\"TestPart\"><rect name=\"frame\">{{0,0},{1}}</rect></object>", "TestScreen", "a rect is"},
        {"<object class=\"TestPart\"><color name=\"borderColor\">red</color></object>", "TestScreen", "a colour is"},
        {"<object class=\"TestPart\"><enum name=\"contentsGravity\">sideways</enum></object>", "TestScreen", "not a value"},
        {"<object class=\"TestPart\"><image name=\"contents\">missing</image></object>", "TestScreen", "no picture \"missing\""},
        {"<object id=\"x\" class=\"TestPart\"/>\n<object id=\"x\" class=\"TestPart\"/>", "TestScreen", ":3: the id \"x\" is used twice"},
        {"<outlet name=\"view\" to=\"ghost\"/>", "TestScreen", ":2: no object with the id \"ghost\""},
        {"<object id=\"p\" class=\"TestPart\"><outlet name=\"buddy\" to=\"q\"/></object>\n"
         "<object id=\"q\" class=\"TestPart\"><outlet name=\"buddy\" to=\"p\"/></object>", "TestScreen", "cycle"},
        {"<object id=\"p\" class=\"TestPart\"><collection name=\"parts\"><ref to=\"p\"/></collection></object>", "TestScreen", "cycle"},
        {"<object id=\"p\" class=\"TestPart\"><outlet name=\"extra\" to=\"owner\"/></object>", "TestScreen", "cycle"},
        {"<object class=\"TestSwitch\"><action event=\"touchUpInside\" target=\"owner\" name=\"nope\"/></object>", "TestScreen", "no action \"nope\""},
        {"<object class=\"TestSwitch\"><action event=\"wiggle\" target=\"owner\" name=\"doAction\"/></object>", "TestScreen", "no \"wiggle\" event"},
        {"<object class=\"TestPart\"><action event=\"touchUpInside\" target=\"owner\" name=\"doAction\"/></object>", "TestScreen", "sends no actions"},
        {"<object id=\"a\" class=\"TestAnyKeys\"/><outlet name=\"view\" to=\"a\"/>", "TestScreen", "does not take this object"},
        {"<object class=\"TestPart\"><subviews><object class=\"TestAnyKeys\"/></subviews></object>", "TestScreen", "is not a view"},
        {"<object class=\"TestPart\"/>", "TestPart", "the owner is a \"TestScreen\""},
        {"<object class=\"TestPart\"/>", "NoOwner", "no class \"NoOwner\" for the owner"},
        {deep, "TestScreen", "nested deeper than 64"},
        {many, "TestScreen", "more than 10000 objects"},
        {"<object class=\"TestPart\">", "TestScreen", "Test.xml:"},
        {"<outlet name=\"view\" to=\"view\"/><object id=\"view\" class=\"TestPart\">&lt;<bool name=\"hidden\">maybe</bool></object>", "TestScreen", "is not YES or NO"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 120));
        auto owner = std::make_shared<Screenish>();
        auto file = parse(row.body, row.owner);
        std::string message;
        if (file.ok()) {
            auto made = file.value()->instantiate(owner);
            ASSERT_FALSE(made.ok());
            message = made.error().description;
        } else {
            message = file.error().description;
        }
        EXPECT_NE(message.find(row.error), std::string::npos) << message;
        EXPECT_EQ(message.rfind("Test.xml:", 0), 0u) << message;
        EXPECT_FALSE(owner->viewIfLoaded());
        EXPECT_FALSE(owner->controllers());
    }
}

TEST_F(InterfaceFiles, HostileDocumentsAreRefusedWholesale)
{
    const std::string rows[] = {
        "<?xml version=\"1.0\"?><!DOCTYPE interface [<!ENTITY e \"boom\">]><interface>&e;</interface>",
        "<!DOCTYPE interface SYSTEM \"http://127.0.0.1:1/x.dtd\"><interface/>",
        "<plist/>",
        std::string(InterfaceFile::kMaxBytes + 1, ' '),
    };
    for (const auto& xml : rows) {
        auto file = InterfaceFile::parse(xml, "Bad", *bundle);
        EXPECT_FALSE(file.ok());
    }
    // Named files come from the bundle's interface folder, parsed once.
    std::FILE* f = std::fopen((dir / "interface" / "Small.xml").c_str(), "w");
    std::fputs("<interface owner=\"ViewController\"><object id=\"v\" class=\"TestPart\"/>"
               "<outlet name=\"view\" to=\"v\"/></interface>", f);
    std::fclose(f);
    auto first = InterfaceFile::named("Small", *bundle);
    ASSERT_TRUE(first.ok()) << first.error().description;
    EXPECT_EQ(InterfaceFile::named("Small", *bundle).value(), first.value());
    EXPECT_FALSE(InterfaceFile::named("../Small", *bundle).ok());
    EXPECT_FALSE(InterfaceFile::named("Missing", *bundle).ok());
    // A controller with a nib name loads its view from the file.
    auto controller = std::make_shared<ViewController>("Small", bundle.get());
    EXPECT_TRUE(std::dynamic_pointer_cast<Part>(controller->view()));
    EXPECT_FALSE(std::dynamic_pointer_cast<Part>(std::make_shared<ViewController>("Missing", bundle.get())->view()));
}
