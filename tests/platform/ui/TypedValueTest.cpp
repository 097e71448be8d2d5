#include "platform/foundation/Boxed.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

// A view with an array, a read-only key and every undeclared key in a dictionary.
class Bag : public View {
public:
    ArrayRef items() const { return m_items; }
    void setItems(ArrayRef v) { m_items = std::move(v); }
    int serial() const { return 7; }
    std::optional<Error> setValueForUndefinedKey(std::string_view key, const Value& value) override
    {
        extra[std::string(key)] = value;
        return std::nullopt;
    }
    std::map<std::string, Value> extra;

private:
    ArrayRef m_items;
};

bool visable(const View& v) { return !v.isHidden(); }
void setVisable(View& v, bool visible) { v.setHidden(!visible); }

void registerBag()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUiClasses();
    ClassBuilder<Bag>("TestBag")
        .superclass<View>()
        .property("items", &Bag::items, &Bag::setItems)
        .readonlyProperty("serial", &Bag::serial)
        .takesAnyKey()
        .commit();
    ClassExtension<View>().property("visable", &visable, &setVisable).commit();
}

}

TEST(TypedValues, ConversionsAndRefusals)
{
    registerBag();
    auto picture = Image::create(Bitmap::create(4, 4).value());
    struct Row {
        bool onController; // else on a view
        const char* key;
        Value value;
        bool ok;
        const char* expect; // the "%@" text read back, when given
    };
    const Row rows[] = {
        {false, "hidden", "Yes", true, "1"},
        {false, "hidden", "  -3", true, "1"},
        {false, "hidden", "000", true, "0"},
        {false, "hidden", Value(), false, "0"},
        {false, "tag", "42abc", true, "42"},
        {false, "tag", 3.9, true, "3"},
        {false, "tag", Value(ArrayRef(Array::create())), false, "0"},
        {false, "alpha", " 0.25e0x", true, "0.25"},
        {true, "title", 12, true, "12"},
        {true, "title", Value(), true, "(null)"},
        {true, "title", Value(DictionaryRef(Dictionary::create())), false, "(null)"},
        {false, "contentsGravity", "center", true, "3"},
        {false, "contentsGravity", "5", true, "5"},
        {false, "contentsGravity", "sideways", false, "0"},
        {false, "contentsGravity", Value(), false, "0"},
        {true, "view", Value(ObjectRef(std::make_shared<Bag>())), true, nullptr},
        {true, "view", Value(ObjectRef(picture)), false, "(null)"},
        {false, "contents", Value(ObjectRef(picture)), true, nullptr},
        {false, "contents", "icon", false, "(null)"},
        {false, "items", Value(ArrayRef(Array::create())), true, nullptr},
        {false, "items", Value(DictionaryRef(Dictionary::create())), false, "(null)"},
        {false, "backgroundColor", Boxed<Color>::make(Color::rgb(1, 0, 0)), true, nullptr},
        {false, "backgroundColor", Boxed<Rect>::make({}), false, "(null)"},
        {false, "frame", "{{1,2},{3,4}}", false, nullptr},
        {false, "serial", 3, false, "7"},
        {false, "visable", "NO", true, "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " <- " + row.value.description());
        ObjectRef object = row.onController ? ObjectRef(std::make_shared<ViewController>())
                                            : ObjectRef(std::make_shared<Bag>());
        auto error = object->trySetValueForKey(row.key, row.value);
        EXPECT_EQ(!error, row.ok);
        if (row.expect) {
            EXPECT_EQ(object->valueForKey(row.key).description(), row.expect);
        }
    }
    auto bag = std::make_shared<Bag>();
    ASSERT_FALSE(bag->trySetValueForKey("frame", Boxed<Rect>::make({1, 2, 3, 4})));
    EXPECT_EQ(Boxed<Rect>::from(bag->valueForKey("frame")), Rect(1, 2, 3, 4));
    EXPECT_TRUE(std::make_shared<View>()->trySetValueForKey("nosuchkey", 1));
}

TEST(TypedValues, PathsAndUndeclaredKeysReachTheirObjects)
{
    registerBag();
    auto controller = std::make_shared<ViewController>();
    auto bag = std::make_shared<Bag>();
    controller->setView(bag);
    EXPECT_FALSE(controller->trySetValueForKeyPath("view.tag", "9"));
    EXPECT_EQ(bag->tag(), 9);
    EXPECT_TRUE(controller->trySetValueForKeyPath("navigationItem.title", 1)); // no object on the way
    EXPECT_FALSE(controller->trySetValueForKeyPath("view.pageSize", 20));    // the bag takes any key
    EXPECT_EQ(bag->extra["pageSize"].intValue(), 20);
    EXPECT_TRUE(Class::named("TestBag")->takesAnyKey());
    EXPECT_FALSE(Class::named("View")->takesAnyKey());
    EXPECT_EQ(bag->extra.count("tag"), 0u); // declared keys never reach the fallback
}
