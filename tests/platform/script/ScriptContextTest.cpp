#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/script/ScriptContext.h"
#include "platform/script/ScriptLiteral.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

const std::string lineSeparator = "\xE2\x80\xA8";
const std::string paragraphSeparator = "\xE2\x80\xA9";

std::shared_ptr<ScriptContext> makeContext()
{
    auto context = ScriptContext::create();
    EXPECT_TRUE(context);
    context->setConsoleSink([](const std::string&) {});
    return context;
}

struct RecordingDelegate : ScriptContextDelegate {
    std::function<bool(const std::string&)> answer;
    std::vector<std::pair<std::string, NavigationType>> seen;
    bool shouldStartLoad(const std::string& url, NavigationType type) override
    {
        seen.emplace_back(url, type);
        return answer ? answer(url) : true;
    }
};

}

TEST(ScriptContextEvaluate, AnswersCompletionValueAsText)
{
    auto context = makeContext();
    struct Row {
        const char* script;
        const char* expected;
    } rows[] = {
        {"1 + 2", "3"},
        {"'a' + \"b\"", "ab"},
        {"[1, 'x']", "1,x"},
        {"window === this && typeof window.alert", "function"},
        {"undefined", ""},
        {"null", ""},
        {"throw new Error('boom')", ""},
        {"this is not a script (", ""},
        {"var kept = 41; kept", "41"},
        {"kept + 1", "42"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(context->evaluate(row.script), row.expected) << row.script;
    context->evaluate("throw new TypeError('bad')");
    EXPECT_NE(context->lastError().find("bad"), std::string::npos);
}

TEST(ScriptContextValues, ArriveAndReturnUnchanged)
{
    auto context = makeContext();
    context->evaluate("function echo(v) { return v; }"
                      "function describe(v) { return typeof v + ':' + (typeof v === 'string' ? v.length : JSON.stringify(v)); }");
    auto nested = Dictionary::create({{"list", Array::create({1, "two", Value::null(), true})},
                                      {"inner", Dictionary::create({{"k", "v'\"\n"}})}});
    const std::vector<Value> rows = {
        Value("quote ' and \" and \\ and </script>"),
        Value("line\nbreak\r\n" + lineSeparator + "and" + paragraphSeparator),
        Value("中文 \xF0\x9F\x98\x80"),
        Value(""),
        Value(12345678901LL),
        Value(-0.5),
        Value(true),
        Value::null(),
        Value(nested),
    };
    for (const auto& row : rows)
        EXPECT_EQ(context->callFunction("echo", {row}), row) << row.description();

    struct TypeRow {
        Value in;
        const char* expected;
    } typeRows[] = {
        {Value(lineSeparator + "'"), "string:2"},
        {Value(false), "boolean:false"},
        {Value(), "object:null"},
        {Value(Array::create({1, 2})), "object:[1,2]"},
        {Value::data(Bytes{1, 2}), "object:null"},
    };
    for (const auto& row : typeRows)
        EXPECT_EQ(context->callFunction("describe", {row.in}), Value(row.expected)) << row.expected;
}

TEST(ScriptContextValues, ResultsThatAreNotDataReadAsNil)
{
    auto context = makeContext();
    context->evaluate("var o = { f: function() {}, n: 1 }; var cyclic = {}; cyclic.self = cyclic;"
                      "var holder = { x: 7, get: function() { return this.x; }, boom: function() { throw 1; } };");
    EXPECT_TRUE(context->callFunction("holder.get") == Value(7));
    EXPECT_TRUE(context->callFunction("o.f").isNil());
    EXPECT_TRUE(context->callFunction("holder.boom").isNil());
    EXPECT_TRUE(context->callFunction("missing.path").isNil());
    EXPECT_TRUE(context->callFunction("o.n").isNil());
    EXPECT_TRUE(context->callFunction("").isNil());
    EXPECT_TRUE(context->callFunction("holder..get").isNil());
    context->evaluate("function giveObject() { return o; } function giveCyclic() { return cyclic; }");
    EXPECT_EQ(context->callFunction("giveObject"), Value(Dictionary::create({{"n", 1}})));
    EXPECT_TRUE(context->callFunction("giveCyclic").isDictionary()); // cut off, not endless
}

TEST(ScriptLiteral, ParsesBackToTheSameText)
{
    const std::string rows[] = {
        "plain", "it's", "say \"hi\"", "back\\slash", "a\nb\rc\td", std::string("nul\0x", 5), "\x01\x1f\x7f",
        lineSeparator + paragraphSeparator, "中文", "'); alert('x", "",
    };
    auto context = makeContext();
    for (const auto& row : rows) {
        std::string literal = scriptStringLiteral(row);
        EXPECT_EQ(literal.find('\n'), std::string::npos);
        EXPECT_EQ(literal.find(lineSeparator), std::string::npos);
        EXPECT_EQ(context->evaluate("var t = " + literal + "; t"), row) << literal;
    }
}

TEST(ScriptContextHook, AsksDelegateSynchronouslyAndMayReenter)
{
    auto context = makeContext();
    auto delegate = std::make_shared<RecordingDelegate>();
    context->setDelegate(delegate);
    context->evaluate("var SendCmd = { value: null, setReturnValue: function(v) { this.value = v; } };"
                      "function send(url, type) { SendCmd.value = null; var go = openURL(url, type);"
                      "  return [go, SendCmd.value]; }");
    delegate->answer = [&](const std::string& url) {
        if (url.starts_with("no:"))
            return false;
        context->callFunction("SendCmd.setReturnValue", {Value(url + "!")});
        EXPECT_EQ(context->evaluate("SendCmd.value.length > 0"), "true");
        return true;
    };
    std::string url = "bridge://oauth/login?p0=a'b\n" + lineSeparator;
    EXPECT_EQ(context->callFunction("send", {url}), Value(Array::create({true, url + "!"})));
    EXPECT_EQ(context->callFunction("send", {"no:x", 0}), Value(Array::create({false, Value::null()})));
    ASSERT_EQ(delegate->seen.size(), 2u);
    EXPECT_EQ(delegate->seen[0].second, NavigationType::Other);
    EXPECT_EQ(delegate->seen[1].second, NavigationType::LinkClicked);

    delegate.reset(); // not retained: the hook then lets the load start
    EXPECT_EQ(context->evaluate("openURL('x:')"), "true");
}

TEST(ScriptContextHook, DelegateMayDropTheLastOwner)
{
    auto owner = makeContext();
    auto delegate = std::make_shared<RecordingDelegate>();
    owner->setDelegate(delegate);
    delegate->answer = [&](const std::string&) {
        owner.reset();
        return false;
    };
    std::weak_ptr<ScriptContext> weak = owner;
    EXPECT_EQ(owner->evaluate("openURL('a:') ? 'yes' : 'no'"), "no");
    EXPECT_TRUE(weak.expired());
}

TEST(ScriptContextGlobals, ConsoleAlertAndTimersOnTheMainLoop)
{
    auto context = makeContext();
    std::vector<std::string> lines;
    context->setConsoleSink([&](const std::string& line) { lines.push_back(line); });
    context->setAlertSink([&](const std::string& text) { lines.push_back("alert " + text); });
    context->evaluate("console.log('a', 1, true, null); alert('hi');"
                      "setTimeout(function() { console.log('late'); }, 5);"
                      "setTimeout(function() { throw new Error('in timer'); }, 0);"
                      "setTimeout(\"console.log('text')\", 0);"
                      "var cleared = setTimeout(function() { console.log('never'); }, 0); clearTimeout(cleared);");
    EXPECT_EQ(lines, (std::vector<std::string>{"a 1 true null", "alert hi"}));
    EXPECT_EQ(context->pendingTimerCount(), 3u);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return context->pendingTimerCount() == 0; }, Seconds(30)));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(lines, (std::vector<std::string>{"a 1 true null", "alert hi", "text", "late"}));
    EXPECT_EQ(context->evaluate("setTimeout(42)"), "");

    context->evaluate("setTimeout(function() { console.log('after release'); }, 0)");
    context.reset();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(lines.size(), 4u);
}

TEST(ScriptContextMemory, CapEndsTheScriptNotTheProcess)
{
    EXPECT_FALSE(ScriptContext::create(1024));
    auto context = ScriptContext::create(4u << 20);
    ASSERT_TRUE(context);
    context->setConsoleSink([](const std::string&) {});
    EXPECT_EQ(context->evaluate("var hoard = []; for (;;) hoard.push(new Array(4096).join('x') + hoard.length);"), "");
    EXPECT_LE(context->memoryInUse(), context->memoryLimit());
    EXPECT_EQ(context->evaluate("hoard = null; 'freed'"), "freed");
    EXPECT_EQ(context->callFunction("String", {Value(std::string(8u << 20, 'y'))}), Value());
    EXPECT_EQ(context->evaluate("6 * 7"), "42");
}
