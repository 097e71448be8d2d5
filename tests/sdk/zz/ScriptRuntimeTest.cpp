#include "ScriptPackageSupport.h"

#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpConnection.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/URLCache.h"
#include "platform/script/ScriptContext.h"
#include "platform/script/ScriptLiteral.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "tools/zzserver/ZZServer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int S = 1, D = 2, A = 3, B = 4, I = 5, R = 7, O = 8, V = 9;

struct Target : pf::Object {
    std::vector<std::string> seen;
};

std::string shown(const pf::Value& value)
{
    return value.isNil() ? "nil" : value.description();
}

class ScriptRuntime : public ::testing::Test, public pf::WebViewDelegate {
protected:
    void SetUp() override
    {
        m_web = std::make_shared<pf::WebView>();
        m_context = m_web->scriptContext();
        m_context->setConsoleSink([](const std::string&) {});
        m_self = std::shared_ptr<ScriptRuntime>(this, [](ScriptRuntime*) {});
        m_runEnv = CorvanaJSRunEnv::initWithWebView(m_web, "", m_self);
        ASSERT_TRUE(m_runEnv);
        m_context->evaluate(CorvanaJSRunEnv::sendCmdScript);
        m_target = std::make_shared<Target>();
        ASSERT_TRUE(m_runEnv->registNativeObj(module("rec", m_target)));
    }
    void TearDown() override { pf::URLCache::setShared(nullptr); }

    // Other schemes and page loads: allowed when the URL says so.
    bool webViewShouldStartLoadWithRequest(pf::WebView& view, const std::string& url) override
    {
        m_otherLoads.push_back(&view == m_web.get() ? url : "another view");
        return url.find("allow") != std::string::npos;
    }
    void webViewDidStartLoad(pf::WebView&) override { m_otherLoads.push_back("start"); }
    void webViewDidFailLoadWithError(pf::WebView&, const pf::Error& error) override
    {
        m_otherLoads.push_back("fail " + std::to_string(error.code));
    }

    std::shared_ptr<CorvanaJSObject> module(const std::string& key, const std::shared_ptr<Target>& target)
    {
        auto made = std::make_shared<CorvanaJSObject>();
        EXPECT_TRUE(made->transformNativeObj(target, key));
        auto echo = [](Target& t, const std::vector<pf::Value>& args) {
            t.seen.push_back(shown(args.empty() ? pf::Value() : args[0]));
            return args.empty() ? pf::Value() : args[0];
        };
        std::weak_ptr<Target> weak = target;
        struct Row {
            const char* sel;
            const char* name;
            int ret;
            std::vector<int> args;
        } rows[] = {
            {"str:", "str", S, {S}}, {"flag:", "flag", B, {B}}, {"num:", "num", I, {I}}, {"real:", "real", R, {R}},
            {"list:", "list", A, {A}}, {"dict:", "dict", D, {D}}, {"nothing", "nothing", V, {}},
            {"voided:", "voided", V, {S}}, {"text:", "dictAsText", S, {D}},
        };
        for (const Row& row : rows)
            EXPECT_TRUE(made->transformNativeMethod(row.sel, row.name, row.ret, row.args, corvanaCallable(weak, echo)));
        auto joined = corvanaCallable(weak, [](Target&, const std::vector<pf::Value>& args) {
            std::string text;
            for (const pf::Value& arg : args)
                text += (text.empty() ? "" : "|") + shown(arg);
            return text;
        });
        made->transformNativeMethod("two:and:", "two", S, {S, S}, joined);
        made->transformNativeMethod("three:b:c:", "three", S, {S, S, S}, joined);
        made->transformNativeMethod("obj:", "obj", S, {O},
                                    corvanaCallable(weak, [](Target& t, const std::vector<pf::Value>& args) {
                                        return std::string(args[0].object().get() == &t ? "self" : shown(args[0]));
                                    }));
        // A native method that calls back into the scripts.
        made->transformNativeMethod("nest:", "nest", S, {S},
                                    corvanaCallable(weak, [this](Target&, const std::vector<pf::Value>& args) {
                                        return m_context->callFunction("rec.str", {"inner " + args[0].stringOr()});
                                    }));
        // One that reads its argument only after calling back into the
        // scripts, whose own call comes through the dispatcher meanwhile.
        made->transformNativeMethod("wrap:", "wrap", S, {S},
                                    corvanaCallable(weak, [this](Target&, const std::vector<pf::Value>& args) {
                                        pf::Value inner = m_context->callFunction("rec.two", {"i1", "i2"});
                                        return args[0].stringOr() + "/" + inner.stringOr();
                                    }));
        return made;
    }

    std::string json(const std::string& expression)
    {
        return m_context->evaluate("JSON.stringify(" + expression + ")");
    }

    std::shared_ptr<pf::WebView> m_web;
    std::shared_ptr<pf::ScriptContext> m_context;
    std::shared_ptr<ScriptRuntime> m_self;
    std::shared_ptr<CorvanaJSRunEnv> m_runEnv;
    std::shared_ptr<Target> m_target;
    std::vector<std::string> m_otherLoads;
};

}

TEST_F(ScriptRuntime, ArgumentsAndResultsByTypeCode)
{
    struct Row {
        const char* call;
        const char* result; // JSON of what the script receives
    } rows[] = {
        {R"(rec.str("a'b\"c\n\u2028d&e=f%g"))", R"("a'b\"c\n\u2028d&e=f%g")"},
        {R"(rec.two("x","y","z"))", R"("x|y")"},
        {R"(rec.two("x"))", R"("x|nil")"},
        {R"(rec.two("x", undefined))", R"("x|nil")"},
        {R"(rec.two(undefined, "y"))", R"("undefined|y")"},
        {R"(rec.three("a", "b", "c", "d"))", R"("a|b|c")"},
        {R"(rec.three(undefined, "b", undefined))", R"("undefined|b|nil")"},
        {R"(rec.flag("true"))", R"("true")"},
        {R"(rec.flag("True"))", R"("false")"},
        {R"(rec.flag(1))", R"("false")"},
        {R"(rec.num("42"))", R"("42")"},
        {R"(rec.num("-12abc"))", R"("-12")"},
        {R"(rec.num("99999999999999999999999"))", R"("2147483647")"},
        {R"(rec.num("-99999999999999999999999"))", R"("-2147483648")"},
        {R"(rec.num())", R"("0")"},
        {R"(rec.real("2.5"))", R"("2.500000")"},
        {R"(rec.real("nan"))", R"("0.000000")"},
        {R"(rec.list("[a,b]"))", R"("a,b")"},
        {R"(rec.list("[]"))", R"("")"},
        {R"(rec.list("x"))", "null"},
        {R"(rec.list(""))", "null"},
        {R"(rec.dict('{"k":"v\u2028"}'))", R"("{\"k\":\"v\u2028\"}")"},
        {R"(rec.dict("[1]"))", "null"},
        {R"(rec.dict("7"))", "null"},
        {R"(rec.dict(""))", "null"},
        {R"(rec.nothing())", "null"},
        {R"(rec.voided("x"))", "null"},
        {R"(rec.obj("rec"))", R"("self")"},
        {R"(rec.obj("none"))", R"("nil")"},
        {R"(rec.nest("x"))", R"("inner x")"},
        {R"(rec.wrap("outer"))", R"("outer/i1|i2")"},
        {R"(rec.wrap(rec.wrap("o")))", R"("o/i1|i2/i1|i2")"},
        {R"(SendCmd._sendMessageToObjectC("rec", "missing", ""))", "null"},
        {R"(SendCmd._sendMessageToObjectC("nobody", "str", "p0=x&"))", "null"},
        {R"(SendCmd._sendMessageToObjectC("rec", "str", "p0=%ZZ&"))", "null"},
        {R"(SendCmd._sendMessageToObjectC("rec", "str", "p0=a=b&"))", R"("a")"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(json(row.call), row.result) << row.call;
    EXPECT_EQ(m_context->evaluate("rec.str('\\u2028') === '\\u2028'"), "true");
}

TEST_F(ScriptRuntime, EachCallLogsItsURLWhateverTheNamesAndArgumentCount)
{
    std::vector<std::string> lines;
    m_context->setConsoleSink([&](const std::string& line) { lines.push_back(line); });
    // Names that would break script text if pasted into it unquoted.
    const std::string key = "q'\"\\\xE2\x80\xA8";
    auto made = std::make_shared<CorvanaJSObject>();
    ASSERT_TRUE(made->transformNativeObj(m_target, key));
    auto joined = [](const std::vector<pf::Value>& args) -> std::optional<pf::Value> {
        std::string text;
        for (const pf::Value& arg : args)
            text += (text.empty() ? "" : "|") + shown(arg);
        return pf::Value(text);
    };
    ASSERT_TRUE(made->transformNativeMethod("f:", "f'\"", S, {S}, joined));
    ASSERT_TRUE(made->transformNativeMethod("n", "n", S, {}, joined));
    ASSERT_TRUE(made->transformNativeMethod("t:b:c:d:e:f:g:h:i:", "nine", S, {S, S, S, S, S, S, S, S, S}, joined));
    ASSERT_TRUE(m_runEnv->registNativeObj(made));
    m_context->evaluate("var mod = window[" + pf::scriptStringLiteral(key) + "];");
    const std::string url = "corvanajsbridge://" + key + "/";
    const std::string longText(5000, 'x'); // beyond any room kept between calls
    struct Row {
        std::string call;
        std::string result; // JSON of what the script receives
        std::string line;
    } rows[] = {
        {R"(mod["f'\""]("a b"))", R"("a b")", "[API] " + url + "f'\"?p0=a%20b&"},
        {R"(mod["f'\""]())", R"("nil")", "[API] " + url + "f'\"?"},
        {"mod[\"f'\\\"\"](\"" + longText + "\")", "\"" + longText + "\"", "[API] " + url + "f'\"?p0=" + longText + "&"},
        {R"(mod.n("ignored"))", R"("")", "[API] " + url + "n?"},
        {R"(mod.nine(1, undefined, "\u00e9"))", "\"1|undefined|\xC3\xA9|nil|nil|nil|nil|nil|nil\"",
         "[API] " + url + "nine?p0=1&p1=undefined&p2=%C3%A9&"},
        {R"(mod.nine(1,2,3,4,5,6,7,8,9,10))", R"("1|2|3|4|5|6|7|8|9")",
         "[API] " + url + "nine?p0=1&p1=2&p2=3&p3=4&p4=5&p5=6&p6=7&p7=8&p8=9&"},
    };
    for (const Row& row : rows) {
        lines.clear();
        EXPECT_EQ(json(row.call), row.result) << row.call;
        EXPECT_EQ(lines, std::vector<std::string>{row.line}) << row.call;
    }
    // A script that wraps setReturnValue still sees every answer go through it.
    m_context->evaluate("var answers = [], set = SendCmd.setReturnValue;"
                        "SendCmd.setReturnValue = function (v) { answers.push(v); set.call(this, v); };");
    EXPECT_EQ(json("rec.str('x') + rec.num('7')"), R"("x7")");
    EXPECT_EQ(json("answers"), R"(["x","7"])");
    EXPECT_EQ(json("SendCmd._RETURN_VALUE"), "");
}

TEST_F(ScriptRuntime, ModulesAreReplacedRemovedAndDroppedSafely)
{
    auto second = std::make_shared<Target>();
    ASSERT_TRUE(m_runEnv->registNativeObj(module("rec", second)));
    m_context->evaluate("rec.str('to second')");
    EXPECT_TRUE(m_target->seen.empty());
    EXPECT_EQ(second->seen, std::vector<std::string>{"to second"});

    EXPECT_TRUE(m_runEnv->removeRegistObjForKey("rec"));
    EXPECT_EQ(json("rec.str('gone')"), "null");
    EXPECT_EQ(m_context->evaluate("typeof rec.str"), "function");

    // A released target answers like one that does not respond.
    ASSERT_TRUE(m_runEnv->registNativeObj(module("rec", second)));
    second.reset();
    EXPECT_EQ(json("rec.str('x')"), "null");

    // A method that takes its own module out of the pool, the module's last
    // owner, still runs to its end and answers; the pool is as it left it.
    auto target = std::make_shared<Target>();
    const struct {
        const char* name;
        std::function<void(CorvanaJSRunEnv&)> change;
        const char* afterwards;
    } selfChanges[] = {
        {"removes", [](CorvanaJSRunEnv& env) { env.removeRegistObjForKey("self"); }, "null"},
        {"replaces", [&](CorvanaJSRunEnv& env) { env.registNativeObj(module("self", target)); }, R"("again")"},
    };
    for (const auto& row : selfChanges) {
        auto made = std::make_shared<CorvanaJSObject>();
        ASSERT_TRUE(made->transformNativeObj(target, std::string("self")));
        std::weak_ptr<CorvanaJSRunEnv> weakEnv = m_runEnv;
        auto change = row.change;
        ASSERT_TRUE(made->transformNativeMethod("str:", "str", S, {S}, [weakEnv, change](const std::vector<pf::Value>& a) {
            change(*weakEnv.lock());
            return std::optional<pf::Value>(pf::Value(a[0].stringOr() + " answered"));
        }));
        ASSERT_TRUE(m_runEnv->registNativeObj(made));
        made.reset();
        EXPECT_EQ(json("self.str('first')"), R"("first answered")") << row.name;
        EXPECT_EQ(json("self.str('again')"), row.afterwards) << row.name;
    }

    CorvanaJSObject bad;
    EXPECT_FALSE(bad.transformNativeObj(nullptr, std::string("k")));
    EXPECT_FALSE(bad.transformNativeObj(m_target, std::nullopt));
    EXPECT_FALSE(bad.transformNativeMethod("two:and:", "two", S, {S}, [](const auto&) { return pf::Value(); }));
    EXPECT_FALSE(bad.transformNativeMethod("none", "", S, {}, [](const auto&) { return pf::Value(); }));
    EXPECT_TRUE(bad.methodList().empty());
    EXPECT_FALSE(m_runEnv->registNativeObj(std::make_shared<CorvanaJSObject>()));
}

TEST_F(ScriptRuntime, ClassModulesKeepOneTargetPerKeyAndAnswerWithTheirBodies)
{
    auto made = [](const std::string& key) {
        return CorvanaJSObject::classModule(key, {
            {"echo:", "echo", S, {S}, [key](const std::vector<pf::Value>& a) { return pf::Value(key + ":" + a[0].stringOr()); }},
            {"nothing", "nothing", V, {}, [](const std::vector<pf::Value>&) { return pf::Value(); }},
        });
    };
    auto first = made("cls");
    ASSERT_TRUE(m_runEnv->registNativeObj(first));
    EXPECT_EQ(json("cls.echo('hi')"), R"("cls:hi")");
    EXPECT_EQ(json("cls.nothing()"), "null");
    // Made again (as a rebuilt runtime does), the module reaches the same
    // target; another key never shares it, or an object argument could not
    // tell the modules apart.
    auto again = made("cls");
    ASSERT_TRUE(again->registerObj());
    EXPECT_EQ(again->registerObj(), first->registerObj());
    EXPECT_NE(made("other")->registerObj(), first->registerObj());
    EXPECT_EQ(again->methodList().size(), 2u);
}

TEST_F(ScriptRuntime, OtherNavigationsAndLoadReportsGoToTheDelegateAndMissingNamesAlert)
{
    EXPECT_EQ(m_context->evaluate("String(openURL('https://127.0.0.1/x'))"), "false");
    EXPECT_EQ(m_runEnv->evaluateJavascript("String(openURL('https://127.0.0.1/allow'))"), "true");
    EXPECT_EQ(json("SendCmd._sendHttpUrlReq('a','b','c')"), "null");
    // Without a page renderer the load fails; another test of this program
    // may have installed one, and the order tests run in is the linker's.
    pf::WebView::setPageLoader({});
    m_web->loadRequest("file:///allow.html");
    EXPECT_TRUE(pf::RunLoop::main().runUntil([&] { return !m_web->isLoading(); }, pf::Seconds(30)));
    EXPECT_EQ(m_otherLoads, (std::vector<std::string>{"https://127.0.0.1/x", "https://127.0.0.1/allow",
                                                      "sendhttpurl://a/b?c", "file:///allow.html", "start", "fail 1"}));
    // Without a delegate every other navigation is allowed.
    auto bare = CorvanaJSRunEnv::initWithWebView(std::make_shared<pf::WebView>(), "", {});
    EXPECT_EQ(bare->evaluateJavascript("openURL('https://127.0.0.1/x')"), "true");

    std::vector<std::string> alerts;
    m_context->setAlertSink([&](const std::string& text) { alerts.push_back(text); });
    m_context->evaluate("SendCmd.createClass('', '[]')");
    EXPECT_EQ(alerts, std::vector<std::string>{"nameSpace =  methodJSon = []"});
}

TEST_F(ScriptRuntime, TheScriptURLIsServedFromTheBundleWithoutTheNetwork)
{
    ScopedBundle bundle(pf::Bytes{});
    spit(fs::path(bundle.root()) / TOSDKRSACryptor::bundleName / "jssdk.js", "var jssdk = 1;");
    pf::HttpRequest request(CVOSDKServers::kJSSDKScriptURL);
    // Asked directly first, so that a broken cache never sends the request out.
    auto cached = pf::URLCache::shared()->cachedResponseForRequest(request);
    ASSERT_TRUE(cached);
    auto result = pf::HttpConnection::sendSynchronousRequest(request);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(std::string(result.value().body.begin(), result.value().body.end()), "var jssdk = 1;");
    EXPECT_EQ(result.value().response.valueForHTTPHeaderField("Content-Type"), "text/javascript");
    EXPECT_EQ(result.value().response.expectedContentLength(), 14u);

    zmr::ZZServer server;
    ASSERT_TRUE(server.isRunning());
    auto other = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(server.httpOrigin() + "/jssdk.js"));
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(server.received("/jssdk.js").size(), 1u);
}
