#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/script/ScriptContext.h"

#include <duktape.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace pf;

namespace {

struct Recorder : ScriptContextDelegate {
    std::function<bool(const std::string&)> answer;
    std::vector<std::string> lines;
    bool shouldStartLoad(const std::string& url, NavigationType type) override
    {
        lines.push_back(url + " " + std::to_string(static_cast<int>(type)));
        return answer ? answer(url) : true;
    }
    std::shared_ptr<ScriptContext> attach(std::shared_ptr<ScriptContext> context)
    {
        context->setConsoleSink([this](const std::string& line) { lines.push_back(line); });
        context->setAlertSink([this](const std::string& text) { lines.push_back("alert " + text); });
        return context;
    }
};

}

TEST(ScriptContextEvaluate, AnswersCompletionValueAsTextAndSurvivesErrors)
{
    Recorder recorder;
    auto context = recorder.attach(ScriptContext::create());
    const std::pair<const char*, const char*> rows[] = {
        {"1 + 2", "3"}, {"[1, 'x']", "1,x"}, {"window === this && typeof window.alert", "function"},
        {"undefined", ""}, {"null", ""}, {"throw new Error('boom')", ""}, {"this is not a script (", ""},
        {"var kept = 41; kept", "41"}, {"kept + 1", "42"}, {"setTimeout(42)", ""},
    };
    for (const auto& [script, expected] : rows)
        EXPECT_EQ(context->evaluate(script), expected) << script;
    context->evaluate("throw new TypeError('bad')");
    EXPECT_NE(context->lastError().find("bad"), std::string::npos);
}

TEST(ScriptContextValues, ArriveAndReturnUnchanged)
{
    auto context = ScriptContext::create();
    context->evaluate("function echo(v) { return v; }"
                      "var cyclic = {}; cyclic.self = cyclic;"
                      "var holder = { x: 7, f: function() {}, get: function() { return this.x; },"
                      "  boom: function() { throw 1; }, me: function() { return this; } };");
    auto nested = Dictionary::create({{"list", Array::create({1, "two", Value::null(), true})},
                                      {"inner", Dictionary::create({{"k", "v'\"\n"}})}});
    // Texts of any characters are the script literal fuzz target's; four-byte ones are not among them.
    const Value rows[] = {
        Value("中文 \xF0\x9F\x98\x80"), Value(""), Value(12345678901LL), Value(-0.5), Value(true), Value::null(),
        Value(nested),
    };
    for (const auto& row : rows)
        EXPECT_EQ(context->callFunction("echo", {row}), row) << row.description();

    const std::pair<const char*, Value> results[] = {
        {"holder.get", Value(7)}, {"holder.f", Value()}, {"holder.boom", Value()}, {"holder.x", Value()},
        {"missing.path", Value()}, {"", Value()}, {"holder..get", Value()},
        {"holder.me", Value(Dictionary::create({{"x", 7}}))}, // functions are left out
    };
    for (const auto& [path, expected] : results)
        EXPECT_EQ(context->callFunction(path), expected) << path;
    EXPECT_TRUE(context->callFunction("echo", {Value::data(Bytes{1})}).isNull());
    context->evaluate("function giveCyclic() { return cyclic; }");
    EXPECT_TRUE(context->callFunction("giveCyclic").isDictionary()); // cut off, not endless
}

TEST(ScriptContextGlobals, EncodeURIComponentJoinAnswersWhatItsPiecesJoinedDo)
{
    auto context = ScriptContext::create();
    context->evaluate("var seen = [];"
                      "function noted(name) { return { toString: function () { seen.push(name); return name + ' &'; } }; }"
                      "function many(n) { var a = []; for (var i = 0; i < n; i++) a.push(i % 2 ? 'v ' + i + '\u00e9' : '&' + i); return a; }");
    // Each row: the arguments, as script source. The expected answer is the
    // same texts and values joined with "+" and encodeURIComponent.
    const std::string rows[] = {
        "",
        "'only text & such'",
        "'a=', 'b c'",
        "'corvanajsbridge://m/f?p0=', 'x y', '&p1=', 'z', '&'",
        "'p=', '\\u00e9\\u4e2d\\u2028', '&'",
        "'p=', '\\ud83d\\ude00', '&q=', 'plain', '&'",
        "'p=', '\\ud83d', '&'",
        "'p=', 12.5, '&', undefined, '&', null, '&', true",
        "'t=', noted('first'), '&u=', noted('second'), '&'",
        "'t=', { toString: function () { throw new TypeError('no'); } }, '&'",
        "'p=', Array(400).join('& '), '&'",
        "'p=', Array(400).join('\\u00e9'), '&'",
        "'keep %41 &=', 'x'",
        "'p=', Symbol(), '&'",
        "'a=', 'x y', '&b=', '\\u00e9', '&'",
        "'t=', noted('first'), '&u=', '\\u00e9 \\u4e2d', '&v=', noted('third'), '&'",
        "'t=', noted('first'), '&u=', Array(300).join('ab'), '&v=', noted('third'), '&'",
        "Array(1100).join('x'), 'y'",
    };
    auto joined = [](const std::string& arguments) {
        return "String((function () { try { return encodeURIComponentJoin(" + arguments +
               "); } catch (e) { return e.name || e; } })())";
    };
    // The same arguments (an array), each odd one encoded and all joined with "+".
    auto spelledArray = [](const std::string& array) {
        return "String((function () { try { var a = " + array +
               ", out = ''; for (var i = 0; i < a.length; i++) out += i % 2 ? encodeURIComponent(a[i]) : String(a[i]);"
               " return out; } catch (e) { return e.name || e; } })())";
    };
    auto spelled = [&](const std::string& arguments) { return spelledArray("[" + arguments + "]"); };
    for (const std::string& arguments : rows) {
        context->evaluate("seen = []");
        std::string answer = context->evaluate(joined(arguments));
        std::string order = context->evaluate("seen.join()");
        context->evaluate("seen = []");
        EXPECT_EQ(answer, context->evaluate(spelled(arguments))) << arguments;
        EXPECT_EQ(order, context->evaluate("seen.join()")) << arguments;
    }
    // Past the positions the join keeps track of, values are still encoded
    // and texts still kept.
    for (int count : {63, 64, 65, 130}) {
        std::string arguments = "many(" + std::to_string(count) + ")";
        EXPECT_EQ(context->evaluate("String(encodeURIComponentJoin.apply(null, " + arguments + "))"),
                  context->evaluate(spelledArray(arguments)))
            << count;
    }
}

TEST(ScriptContextValues, PathsReachTheirOwnFunctionsPastTheNamesKeptInterned)
{
    auto context = ScriptContext::create();
    // More distinct names than are kept interned, names of one length that
    // differ only in their last letter, and names too long to keep.
    std::string script = "var longNamedHolderOfFunctions = {};";
    std::vector<std::pair<std::string, std::string>> paths;
    for (int i = 0; i < 40; ++i) {
        std::string name = "fn" + std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i / 26);
        std::string holder = i % 3 == 0 ? "longNamedHolderOfFunctions" : "window";
        script += holder + "." + name + " = function () { return '" + name + "'; };";
        paths.push_back({i % 3 == 0 ? holder + "." + name : name, name});
    }
    context->evaluate(script);
    for (int round = 0; round < 3; ++round) {
        for (const auto& [path, answer] : paths)
            EXPECT_EQ(context->callFunction(path), Value(answer)) << path << " round " << round;
    }
    EXPECT_EQ(context->callFunction("longNamedHolderOfFunctions.missing"), Value());
    // What a path names now is called, after its function or its owner is
    // replaced or removed.
    const std::pair<const char*, Value> replaced[] = {
        {"longNamedHolderOfFunctions.fna0 = function () { return 'new'; }", Value("new")},
        {"longNamedHolderOfFunctions = { fna0: function () { return 'other'; } }", Value("other")},
        {"longNamedHolderOfFunctions.fna0 = 5", Value()},
        {"longNamedHolderOfFunctions = null", Value()},
    };
    for (const auto& [change, answer] : replaced) {
        context->evaluate(change);
        EXPECT_EQ(context->callFunction("longNamedHolderOfFunctions.fna0"), answer) << change;
    }
}

TEST(ScriptContextGlobals, ConsoleLinesJoinTheirArgumentsAsTexts)
{
    Recorder recorder;
    auto context = recorder.attach(ScriptContext::create());
    const std::pair<const char*, const char*> rows[] = {
        {"'[API]', 'corvanajsbridge://m/f?p0=x&'", "[API] corvanajsbridge://m/f?p0=x&"},
        {"'', 'a', ''", " a "},
        {"'\\u00e9t\\u00e9', '\\u4e2d'", "\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD"},
        {"1.5, undefined, { toString: function () { return 'obj'; } }", "1.5 undefined obj"},
    };
    for (const auto& [arguments, line] : rows) {
        recorder.lines.clear();
        context->evaluate(std::string("console.log(") + arguments + ")");
        EXPECT_EQ(recorder.lines, std::vector<std::string>{line}) << arguments;
    }
    // A symbol is no text: it is converted as any other value and never
    // written as its inner bytes.
    recorder.lines.clear();
    context->evaluate("console.log('s', Symbol('x'))");
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(recorder.lines[0].rfind("s ", 0), 0u);
    EXPECT_TRUE(pf::isValidUtf8(recorder.lines[0])) << recorder.lines[0];
}

// Calls that come back through the hook are followed by the bridge runtime's tests.
TEST(ScriptContextHook, TheLastOwnerMayGoWhileTheDelegateAnswers)
{
    auto delegate = std::make_shared<Recorder>();
    auto context = delegate->attach(ScriptContext::create());
    context->setDelegate(delegate);
    std::weak_ptr<ScriptContext> weak = context;
    delegate->answer = [&](const std::string&) {
        context.reset(); // the last owner goes while the script runs
        return false;
    };
    EXPECT_EQ(context->evaluate("openURL('a:') ? 'yes' : 'no'"), "no");
    EXPECT_TRUE(weak.expired());

    auto unowned = ScriptContext::create();
    unowned->setDelegate(std::make_shared<Recorder>()); // not retained: loads may start
    EXPECT_EQ(unowned->evaluate("openURL('x:')"), "true");
}

// A delegate or sink that runs scripts again on the context: each level keeps
// its own text, and the last owner may go in the innermost call.
TEST(ScriptContextHook, CallsFromInsideAScriptKeepTheirTextsAndTheContext)
{
    auto delegate = std::make_shared<Recorder>();
    auto context = delegate->attach(ScriptContext::create());
    context->setDelegate(delegate);
    std::weak_ptr<ScriptContext> weak = context;
    const std::string longURL = "long:" + std::string(6000, 'u');
    delegate->answer = [&](const std::string& url) {
        if (url == "outer:") {
            context->evaluate("console.log('inner', 'line'); openURL('inner:'); openURL('" + longURL + "')");
            delegate->lines.push_back("after " + url);
        } else if (url == "drop:") {
            context.reset();
        } else if (url == "deep:") {
            context->callFunction("viaCall");
            delegate->lines.push_back("after " + url);
        }
        return true;
    };
    context->setConsoleSink([&](const std::string& line) {
        if (line == "outer line")
            context->evaluate("console.log('nested')");
        delegate->lines.push_back(line);
    });
    EXPECT_EQ(context->evaluate("console.log('outer', 'line'); openURL('outer:'); openURL('next:')"), "true");
    EXPECT_EQ(delegate->lines, (std::vector<std::string>{"nested", "outer line", "outer: 5", "inner line", "inner: 5",
                                                         longURL + " 5", "after outer:", "next: 5"}));

    delegate->lines.clear();
    context->evaluate("function viaCall() { return openURL('drop:'); }");
    EXPECT_EQ(context->evaluate("openURL('deep:') ? 'kept' : 'lost'"), "kept");
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(delegate->lines, (std::vector<std::string>{"deep: 5", "drop: 5", "after deep:"}));
}

TEST(ScriptContextGlobals, ConsoleAlertAndTimersOnTheMainLoop)
{
    Recorder recorder;
    auto context = recorder.attach(ScriptContext::create());
    context->evaluate("console.log('a', 1, true, null); alert('hi');"
                      "setTimeout(function() { console.log('late'); }, 5);"
                      "setTimeout(function() { throw new Error('in timer'); }, 0);"
                      "setTimeout(\"console.log('text')\", 0);"
                      "clearTimeout(setTimeout(function() { console.log('never'); }, 0));");
    EXPECT_EQ(context->pendingTimerCount(), 3u);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return context->pendingTimerCount() == 0; }, Seconds(60)));
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"a 1 true null", "alert hi", "text", "late"}));

    context->evaluate("setTimeout(function() { console.log('after release'); }, 0)");
    context.reset();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder.lines.size(), 4u);
}

TEST(ScriptContextMemory, CapEndsTheScriptNotTheProcess)
{
    EXPECT_FALSE(ScriptContext::create(1024));
    auto context = ScriptContext::create(4u << 20);
    ASSERT_TRUE(context);
    EXPECT_EQ(context->evaluate("var hoard = []; for (;;) hoard.push(new Array(4096).join('x') + hoard.length);"), "");
    EXPECT_LE(context->memoryInUse(), context->memoryLimit());
    EXPECT_EQ(context->evaluate("hoard = null; 'freed'"), "freed");
    EXPECT_EQ(context->callFunction("String", {Value(std::string(8u << 20, 'y'))}), Value());
    EXPECT_EQ(context->evaluate("6 * 7"), "42");
}

TEST(ScriptContextGlobals, EncodeURIComponentAnswersWhatTheEngineDoes)
{
    auto context = ScriptContext::create();
    duk_context* engine = duk_create_heap_default();
    std::string ascii = "'";
    for (int c = 1; c < 128; ++c)
        ascii += "\\u00" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
    ascii += "'";
    const std::string rows[] = {
        ascii, "'a-z_A.Z~0!9*(\\')'", "'a b&c=d/e?f#g%h+'", "'\\u00e9\\u4e2d\\u2028 x'", "'\\ud83d\\ude00'",
        "'\\ud83d'", "'\\ude00x'", "", "undefined", "null", "12.5", "({ toString: function () { return '&'; } })",
        "({ toString: function () { throw 1; } })", "Symbol()", "Array(100).join('&x')", "Array(300).join('& ')",
        // Around the end of the short result's room (512 bytes), and text
        // beyond ASCII found after that room is full.
        "Array(171).join('&') + 'ab'", "Array(171).join('&') + 'abc'", "Array(172).join('&')",
        "Array(200).join('&') + '\\u00e9'",
    };
    for (const std::string& argument : rows) {
        std::string call = "String((function () { try { return encodeURIComponent(" + argument +
                           "); } catch (e) { return e.name || e; } })())";
        duk_eval_string(engine, call.c_str());
        EXPECT_EQ(context->evaluate(call), duk_safe_to_string(engine, -1)) << argument;
        duk_pop(engine);
    }
    duk_destroy_heap(engine);
}
