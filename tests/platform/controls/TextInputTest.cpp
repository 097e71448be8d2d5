#include "ControlsTestSupport.h"

#include "platform/controls/Keyboard.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"

#include <string>
#include <vector>

namespace pf::test {
namespace {

class Watcher final : public TextFieldDelegate {
public:
    bool textFieldShouldBeginEditing(TextField&) override { return allowBegin; }
    bool textFieldShouldChangeCharactersInRange(TextField& field, TextRange range, const std::string& text) override
    {
        log += "change " + std::to_string(range.location) + "+" + std::to_string(range.length) + " '" + text + "'; ";
        return field.text().size() + text.size() <= limit;
    }
    bool textFieldShouldReturn(TextField&) override
    {
        log += "return; ";
        return true;
    }
    bool allowBegin = true;
    std::size_t limit = 100;
    std::string log;
};

class TextInput : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        field = std::make_shared<TextField>(Rect(10, 40, 300, 40));
        watcher = std::make_shared<Watcher>();
        field->setDelegate(watcher);
        window->addSubview(field);
    }
    void TearDown() override
    {
        field->endEditing(true);
        host->advance(1);
        HostTest::TearDown();
    }
    std::shared_ptr<TextField> field;
    std::shared_ptr<Watcher> watcher;
};

TEST_F(TextInput, ChineseThroughTheInputMethodAndBackspaces)
{
    host->type("lost"); // nobody has focus yet
    host->tap({100, 60});
    ASSERT_TRUE(field->isEditing());
    EXPECT_TRUE(field->isFirstResponder());
    struct Step {
        const char* kind; // "type", "mark", "back", "left", "right"
        std::string text;
        std::string expected;
        std::size_t caret;
    };
    const Step steps[] = {
        {"mark", "n", "", 0},
        {"mark", "ni'h", "", 0},
        {"type", "你好", "你好", 2},          // committed: the marked text goes
        {"type", "😀", "你好😀", 4},          // a surrogate pair counts two units
        {"left", "", "你好😀", 2},
        {"mark", "shi", "你好😀", 2},
        {"back", "", "你好😀", 2},            // shortens the marked text only
        {"type", "世界", "你好世界😀", 4},
        {"right", "", "你好世界😀", 6},
        {"back", "", "你好世界", 4},          // the whole pair goes at once
        {"type", "\xff\xfe", "你好世界", 4},  // not UTF-8: dropped
        {"type", "a\nb", "你好世界ab", 6},    // one line
    };
    for (const Step& step : steps) {
        std::string kind = step.kind;
        // Keys travel as the host sends them: through the window to its first responder.
        if (kind == "type")
            host->type(step.text);
        else if (kind == "mark")
            host->compose(step.text);
        else if (kind == "back")
            host->pressKey(KeyEvent::Kind::Backspace);
        else if (kind == "left")
            field->moveCaretLeft();
        else
            field->moveCaretRight();
        EXPECT_EQ(field->text(), step.expected) << kind << " " << step.text;
        EXPECT_EQ(field->buffer().caret(), step.caret) << kind << " " << step.text;
    }
    field->setMarkedText("ab");
    field->deleteBackward();
    EXPECT_EQ(field->buffer().markedText(), "a");
    field->insertText("");
    EXPECT_EQ(watcher->log, "change 0+0 '你好'; change 2+0 '😀'; change 2+0 '世界'; change 4+2 ''; change 4+0 'ab'; change 6+0 ''; ");
    field->setMarkedText("zhong");
    EXPECT_EQ(field->buffer().displayText(), "你好世界abzhong");
    field->endEditing();
    EXPECT_EQ(field->text(), "你好世界ab"); // an unfinished composition is dropped
}

TEST_F(TextInput, DelegateDecidesBeginChangeAndReturn)
{
    watcher->allowBegin = false;
    host->tap({100, 60});
    EXPECT_FALSE(field->isEditing());
    field->insertText("x");
    EXPECT_EQ(field->text(), "");
    watcher->allowBegin = true;
    int exits = 0;
    field->addAction([&](Control&) { ++exits; }, ControlEvent::EditingDidEndOnExit);
    host->tap({100, 60});
    watcher->limit = 3;
    field->insertText("abc");
    field->insertText("d");
    EXPECT_EQ(field->text(), "abc");
    host->pressKey(KeyEvent::Kind::Return);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(field->text(), "abc");

    auto second = std::make_shared<TextField>(Rect(10, 100, 300, 40));
    window->addSubview(second);
    host->tap({100, 120});
    EXPECT_TRUE(second->isEditing());
    EXPECT_FALSE(field->isEditing()); // one field edits at a time
    EXPECT_EQ(TextField::editingField(), second);
    // Focus moved by code, as a return key moves along a form.
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isEditing() && !second->isEditing());
    watcher->allowBegin = false, field->endEditing();
    field->becomeFirstResponder();
    EXPECT_FALSE(field->isFirstResponder() || field->isEditing()) << "a refused focus is not left half-taken";
}

TEST_F(TextInput, KeyboardAnnouncesItsSlidesAndFrames)
{
    std::vector<std::string> log;
    auto owner = std::make_shared<int>(0);
    for (const std::string& name : {KeyboardWillShowNotification, KeyboardDidShowNotification, KeyboardWillHideNotification,
                                    KeyboardDidHideNotification, KeyboardWillChangeFrameNotification,
                                    KeyboardDidChangeFrameNotification}) {
        NotificationCenter::defaultCenter().addObserver(name, owner, [&log, name](const Notification& n) {
            auto end = n.userInfo ? Boxed<Rect>::from(n.userInfo->get(KeyboardFrameEndKey)) : std::nullopt;
            std::string frame = end ? end->description() : "";
            log.push_back(name.substr(12) + " " + frame);
        });
    }
    Rect screen = Screen::main().bounds();
    std::string shown = Rect(0, screen.height() - 216, screen.width(), 216).description();
    std::string gone = Rect(0, screen.height(), screen.width(), 216).description();
    host->tap({100, 60});
    EXPECT_EQ(log, (std::vector<std::string>{"WillChangeFrameNotification " + shown, "WillShowNotification " + shown}));
    host->advance(0.1);
    EXPECT_EQ(log.size(), 2u); // "Did" only once the slide is over
    auto panel = Keyboard::shared().currentView();
    EXPECT_GT(panel->presentationCenter().y, screen.height() - 108);
    host->advance(0.2);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2], "DidChangeFrameNotification " + shown);
    EXPECT_EQ(log[3], "DidShowNotification " + shown);

    // A field with its own input view gets it in place of the panel.
    auto custom = View::create(Rect(0, 0, screen.width(), 100));
    field->endEditing();
    host->advance(0.3);
    log.clear();
    field->setInputView(custom);
    host->tap({100, 60});
    host->advance(0.3);
    EXPECT_EQ(Keyboard::shared().currentView(), custom);
    EXPECT_EQ(Keyboard::shared().frame(), Rect(0, screen.height() - 100, screen.width(), 100));
    field->endEditing();
    host->advance(0.3);
    EXPECT_EQ(log.back(), "DidHideNotification " + Rect(0, screen.height(), screen.width(), 100).description());
    EXPECT_FALSE(Keyboard::shared().isVisible());
    NotificationCenter::defaultCenter().removeObserver(owner.get());
}

TEST_F(TextInput, TheKeyboardsKeysTypeAndShowTheirTailsWhole)
{
    host->tap({100, 60});
    host->advance(0.3);
    for (const char* key : {"h", "e", "l", "l", "o", "⌫", "空格", "p", "换行"})
        ASSERT_TRUE(host->tapViewWithText(key)) << key;
    EXPECT_EQ(field->text(), "hell p");
    EXPECT_EQ(watcher->log.substr(watcher->log.size() - 8), "return; ");

    // A tail below the line (p) reaches clearly lower than a round letter (o).
    auto frame = host->render();
    ASSERT_TRUE(frame);
    auto lowestInk = [&](const char* key) {
        ViewRef cap = host->findViewWithText(key);
        Rect r = cap ? cap->convertRectToView(cap->bounds().insetBy(6, 6), nullptr) : Rect();
        for (double y = r.maxY() - 1; y > r.minY(); --y)
            for (double x = r.minX(); x < r.maxX(); ++x)
                if (frame.value()->pixelAtPoint({x, y}).r < 128)
                    return y;
        return 0.0;
    };
    EXPECT_GT(lowestInk("p"), lowestInk("o") + 2);
}

TEST_F(TextInput, TextViewBreaksLinesAndFollowsTheCaret)
{
    class Changes final : public TextViewDelegate {
    public:
        void textViewDidChange(TextView&) override { ++count; }
        int count = 0;
    };
    auto changes = std::make_shared<Changes>();
    auto view = std::make_shared<TextView>(Rect(10, 100, 300, 80));
    view->setDelegate(changes);
    window->addSubview(view);
    host->tap({100, 140});
    ASSERT_TRUE(view->isEditing());
    for (int i = 0; i < 8; ++i)
        view->insertText("第" + std::to_string(i) + "行\n");
    EXPECT_EQ(changes->count, 8);
    EXPECT_GT(view->contentSize().height, 8 * 17.0);
    Rect caret = view->caretRect();
    EXPECT_GE(caret.maxY(), view->contentOffset().y);
    EXPECT_LE(caret.maxY(), view->contentOffset().y + view->bounds().height() + 0.5); // scrolled into sight
    view->endEditing();
}

// On a wrapped line the caret ends the text drawn on that line: the room a
// line leaves unused at its end is not counted, however many lines wrapped.
// After a final line break it starts the empty line below the text.
TEST_F(TextInput, TextViewCaretEndsTheLastLaidOutLine)
{
    auto view = std::make_shared<TextView>(Rect(10, 100, 300, 200));
    window->addSubview(view);
    ASSERT_TRUE(view->beginEditing());
    const std::string post = "新人第一帖：超市鸡蛋特价超市鸡蛋特价超市鸡蛋特价超市鸡蛋特价";
    struct Row {
        std::string typed;
        std::string marked; // composing at the end
        int lines;
    } rows[] = {
        {post + "ABC", "", 2},
        {post + "超市鸡蛋特价超市鸡蛋特价ABC", "", 3},
        {post + post, "chao", 4},
        {"短的ABC", "", 1},
        {post + post + "\n", "", 5},
    };
    const TextMeasurer& measurer = TextMeasurer::system();
    TextStyle style;
    style.font = view->font();
    const double width = view->bounds().width() - 16;
    for (const Row& row : rows) {
        view->setText("");
        view->insertText(row.typed);
        if (!row.marked.empty())
            view->setMarkedText(row.marked);
        std::string shown = view->buffer().displayText();
        // The last laid-out line starts after the longest beginning that
        // takes fewer lines than the whole.
        double all = measurer.measure(shown, style, width).height, lineHeight = measurer.measure("A", style, 0).height;
        ASSERT_NEAR(all, row.lines * lineHeight, row.lines) << shown;
        std::size_t start = 0;
        for (std::size_t n = 1; n < utf16Length(shown); ++n)
            if (measurer.measure(utf16Substring(shown, 0, n), style, width).height < all - 1)
                start = n;
        std::string last = utf16Substring(shown, start, utf16Length(shown));
        double above = start ? measurer.measure(utf16Substring(shown, 0, start), style, width).height : 0;
        Rect caret = view->caretRect();
        EXPECT_NEAR(caret.x(), 8 + measurer.measure(last, style, 0).width, 1) << shown << " | last line " << last;
        EXPECT_NEAR(caret.y(), 8 + above, 1) << shown;
        view->setMarkedText("");
    }
    view->endEditing(true);
}

// The text view edits by the field's rules: a refused beginning leaves it
// idle and unfocused, a refused change keeps the text and drops the
// composition, ending drops an unfinished composition and resigns, and a
// view that is not editable never begins.
TEST_F(TextInput, TextViewEditsByTheFieldsRules)
{
    class Gate final : public TextViewDelegate {
    public:
        bool textViewShouldBeginEditing(TextView&) override { return allowBegin; }
        bool textViewShouldChangeTextInRange(TextView&, TextRange, const std::string& text) override
        {
            return text != "no";
        }
        bool allowBegin = false;
    };
    auto gate = std::make_shared<Gate>();
    auto view = std::make_shared<TextView>(Rect(10, 100, 300, 80));
    view->setDelegate(gate);
    window->addSubview(view);
    view->becomeFirstResponder();
    EXPECT_FALSE(view->isFirstResponder() || view->isEditing());
    gate->allowBegin = true;
    EXPECT_TRUE(view->becomeFirstResponder());
    ASSERT_TRUE(view->isEditing());
    view->insertText("ok");
    view->setMarkedText("n");
    view->insertText("no");
    EXPECT_EQ(view->buffer().displayText(), "ok");
    view->setMarkedText("zh");
    EXPECT_EQ(view->buffer().displayText(), "okzh");
    EXPECT_TRUE(view->endEditing());
    EXPECT_EQ(view->buffer().displayText(), "ok");
    EXPECT_FALSE(view->isFirstResponder());
    view->setEditable(false);
    EXPECT_FALSE(view->beginEditing());
}

}
}
