#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GaussianBlur.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsPropertyTraits.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

enum class Mode { Plain = 0, Fancy = 1, Odd = 5 };

class Gadget : public Object {
public:
    bool on() const { return m_on; }
    void setOn(bool v) { m_on = v; }
    int count() const { return m_count; }
    void setCount(int v) { m_count = v; }
    double ratio() const { return m_ratio; }
    void setRatio(double v) { m_ratio = v; }
    std::optional<std::string> label() const { return m_label; }
    void setLabel(std::optional<std::string> v) { m_label = std::move(v); }
    std::optional<Color> tint() const { return m_tint; }
    void setTint(std::optional<Color> v) { m_tint = v; }
    Font font() const { return m_font; }
    void setFont(Font v) { m_font = std::move(v); }
    Rect frame() const { return m_frame; }
    void setFrame(Rect v) { m_frame = v; }
    EdgeInsets insets() const { return m_insets; }
    void setInsets(EdgeInsets v) { m_insets = v; }
    ImageRef picture() const { return m_picture; }
    void setPicture(ImageRef v) { m_picture = std::move(v); }
    Mode mode() const { return m_mode; }
    void setMode(Mode v) { m_mode = v; }
    std::shared_ptr<Gadget> child() const { return m_child; }
    void setChild(std::shared_ptr<Gadget> v) { m_child = std::move(v); }
    ArrayRef items() const { return m_items; }
    void setItems(ArrayRef v) { m_items = std::move(v); }
    int serial() const { return 7; }

private:
    bool m_on = false;
    int m_count = -1;
    double m_ratio = -1;
    std::optional<std::string> m_label = "unset";
    std::optional<Color> m_tint;
    Font m_font;
    Rect m_frame;
    EdgeInsets m_insets;
    ImageRef m_picture;
    Mode m_mode = Mode::Plain;
    std::shared_ptr<Gadget> m_child;
    ArrayRef m_items;
};

// Takes every key it does not declare into a dictionary.
class Bag : public Gadget {
public:
    std::optional<Error> setValueForUndefinedKey(std::string_view key, const Value& value) override
    {
        extra[std::string(key)] = value;
        return std::nullopt;
    }
    std::map<std::string, Value> extra;
};

bool hidden(const Gadget& g) { return !g.on(); }
void setHidden(Gadget& g, bool h) { g.setOn(!h); }

void registerGadgets()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    ClassBuilder<Gadget>("TestGadget")
        .property("on", &Gadget::on, &Gadget::setOn)
        .property("count", &Gadget::count, &Gadget::setCount)
        .property("ratio", &Gadget::ratio, &Gadget::setRatio)
        .property("label", &Gadget::label, &Gadget::setLabel)
        .property("tint", &Gadget::tint, &Gadget::setTint)
        .property("font", &Gadget::font, &Gadget::setFont)
        .property("frame", &Gadget::frame, &Gadget::setFrame)
        .property("insets", &Gadget::insets, &Gadget::setInsets)
        .property("picture", &Gadget::picture, &Gadget::setPicture)
        .enumProperty("mode", &Gadget::mode, &Gadget::setMode, {{"plain", 0}, {"fancy", 1}, {"odd", 5}})
        .property("child", &Gadget::child, &Gadget::setChild)
        .property("items", &Gadget::items, &Gadget::setItems)
        .readonlyProperty("serial", &Gadget::serial)
        .commit();
    ClassBuilder<Bag>("TestBag").superclass<Gadget>().takesAnyKey().commit();
    ClassExtension<Gadget>().property("hidden", &hidden, &setHidden).commit();
}

ImageRef smallImage()
{
    return Image::create(Bitmap::create(4, 4).value());
}

}

TEST(TypedValues, ConversionsAndRefusals)
{
    registerGadgets();
    auto other = std::make_shared<Gadget>();
    auto picture = smallImage();
    struct Row {
        const char* key;
        Value value;
        bool ok;
        const char* expect; // the "%@" text of the value read back, when ok
    };
    const Row rows[] = {
        {"on", "Yes", true, "1"},
        {"on", "  -3", true, "1"},
        {"on", "no", true, "0"},
        {"on", "000", true, "0"},
        {"on", Value(), false, ""},
        {"count", "42abc", true, "42"},
        {"count", 3.9, true, "3"},
        {"count", Value(ArrayRef(Array::create())), false, ""},
        {"ratio", " 2.5e1x", true, "25"},
        {"label", 12, true, "12"},
        {"label", Value(), true, "(null)"},
        {"label", Value(ArrayRef(Array::create())), false, ""},
        {"mode", "fancy", true, "1"},
        {"mode", "5", true, "5"},
        {"mode", 1, true, "1"},
        {"mode", Value(), false, ""},
        {"child", Value(ObjectRef(other)), true, ""},
        {"child", Value(ObjectRef(picture)), false, ""},
        {"child", Value(), true, "(null)"},
        {"picture", Value(ObjectRef(picture)), true, ""},
        {"picture", "icon", false, ""},
        {"items", Value(ArrayRef(Array::create())), true, ""},
        {"items", Value(DictionaryRef(Dictionary::create())), false, ""},
        {"tint", Boxed<Color>::make(Color::rgb(1, 0, 0)), true, ""},
        {"tint", Boxed<Rect>::make({}), false, ""},
        {"tint", Value(), true, "(null)"},
        {"frame", Boxed<Rect>::make({1, 2, 3, 4}), true, ""},
        {"frame", "{{1,2},{3,4}}", false, ""},
        {"serial", 3, false, ""},
        {"nosuchkey", 3, false, ""},
        {"hidden", "YES", true, "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " <- " + row.value.description());
        auto gadget = std::make_shared<Gadget>();
        Value before = gadget->valueForKey(row.key);
        auto error = gadget->trySetValueForKey(row.key, row.value);
        EXPECT_EQ(!error, row.ok);
        if (!row.ok) {
            // A refused value changes nothing (boxed values are fresh objects at each read).
            if (Boxed<Rect>::from(before))
                EXPECT_EQ(Boxed<Rect>::from(gadget->valueForKey(row.key)), Boxed<Rect>::from(before));
            else
                EXPECT_EQ(gadget->valueForKey(row.key).description(), before.description());
            continue;
        }
        if (*row.expect) {
            EXPECT_EQ(gadget->valueForKey(row.key).description(), row.expect);
        }
    }
}

TEST(TypedValues, BoxedValuesRoundTripAndPathsReachNestedObjects)
{
    registerGadgets();
    auto g = std::make_shared<Gadget>();
    g->setChild(std::make_shared<Gadget>());
    ASSERT_FALSE(g->trySetValueForKey("font", Boxed<Font>::make(Font::boldSystem(14))));
    ASSERT_FALSE(g->trySetValueForKey("insets", Boxed<EdgeInsets>::make({1, 2, 3, 4})));
    EXPECT_EQ(g->font(), Font::boldSystem(14));
    EXPECT_EQ(Boxed<EdgeInsets>::from(g->valueForKey("insets")), (EdgeInsets{1, 2, 3, 4}));
    EXPECT_FALSE(g->trySetValueForKeyPath("child.count", "9"));
    EXPECT_EQ(g->child()->count(), 9);
    EXPECT_TRUE(g->trySetValueForKeyPath("child.child.count", 1)); // no object on the way
    EXPECT_TRUE(g->trySetValueForKeyPath("child.nosuch", 1));
}

TEST(TypedValues, UndeclaredKeysGoToTheFallbackOfClassesThatTakeAnyKey)
{
    registerGadgets();
    auto bag = std::make_shared<Bag>();
    EXPECT_TRUE(Class::named("TestBag")->takesAnyKey());
    EXPECT_FALSE(Class::named("TestGadget")->takesAnyKey());
    EXPECT_FALSE(bag->trySetValueForKey("pageSize", 20));
    EXPECT_FALSE(bag->trySetValueForKey("count", "4")); // declared keys still convert
    EXPECT_EQ(bag->extra["pageSize"].intValue(), 20);
    EXPECT_EQ(bag->count(), 4);
    EXPECT_EQ(bag->extra.count("count"), 0u);
    // Extensions reach subclasses and keep the first definition of a name.
    ClassExtension<Gadget>().property("hidden", &hidden, &setHidden).commit();
    EXPECT_FALSE(bag->trySetValueForKey("hidden", false));
    EXPECT_TRUE(bag->on());
}

TEST(TypedValues, StretchableCapsAndBlur)
{
    auto bitmap = Bitmap::create(20, 10).value();
    auto image = Image::create(bitmap);
    struct Row {
        int left, top;
        EdgeInsets caps;
    };
    const Row rows[] = {
        {5, 4, {4, 5, 5, 14}},
        {0, 0, {0, 0, 0, 0}},
        {50, 50, {9, 19, 0, 0}},
        {-3, 2, {2, 0, 7, 0}},
    };
    for (const Row& row : rows) {
        auto s = image->stretchableImage(row.left, row.top);
        EXPECT_EQ(s->capInsets(), row.caps) << row.left << "," << row.top;
        EXPECT_EQ(s->bitmap(), bitmap);
    }

    // One white column in black: the blur spreads it symmetrically and keeps
    // the size; 0 copies; an excessive radius clamps instead of failing.
    auto line = Bitmap::create(41, 5).value();
    line->fill(Color::black());
    GraphicsContext::create(*line).value()->fillRect({20, 0, 1, 5}, Color::whiteColor());
    auto copy = gaussianBlur(*line, 0).value();
    EXPECT_EQ(copy->pixel(20, 2), line->pixel(20, 2));
    auto blurred = gaussianBlur(*line, 3).value();
    ASSERT_EQ(blurred->pixelWidth(), 41);
    Rgba8 centre = blurred->pixel(20, 2), near = blurred->pixel(18, 2), far = blurred->pixel(2, 2);
    EXPECT_LT(centre.r, 255);
    EXPECT_GT(centre.r, near.r);
    EXPECT_GT(near.r, 0);
    EXPECT_EQ(far.r, 0);
    EXPECT_EQ(blurred->pixel(17, 0), blurred->pixel(23, 4)); // symmetric, edges not darkened
    EXPECT_EQ(blurred->pixel(0, 0).a, 255);
    auto huge = gaussianBlur(*line, 1e9);
    ASSERT_TRUE(huge.ok());
    EXPECT_EQ(huge.value()->pixelHeight(), 5);
}
