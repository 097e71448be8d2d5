#include "framework/core/KRController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <tuple>

using pf::Array;
using pf::Dictionary;
using pf::Value;

TEST(KRDataOutlet, KeyPathsWalkDictionariesArraysAndObjects)
{
    Value list(Array::create({Dictionary::create({{"name", "a"}}), Dictionary::create({{"name", "b"}})}));
    Value user(Dictionary::create({{"user", Dictionary::create({{"nick", "Bo"}, {"tags", Array::create({"x"})}})}}));
    auto action = std::make_shared<KRAction>();
    action->setActionName("open");
    auto inner = std::make_shared<KRAction>();
    inner->setActionName("inner");
    action->setActionViews({inner});
    struct Row {
        Value receiver;
        const char* path;
        Value expected;
    } rows[] = {
        {list, "@0.name", "a"},
        {list, "@last.name", "b"},
        {list, "@5", {}},
        {list, "0", {}},            // array elements need "@"
        {list, "@-1", {}},
        {list, "@abc", {}},         // no digits reads as index 0 (set below)
        {list, "@99999999999999999999999", {}},
        {list, "@1x.name", "b"},    // leading digits only
        {user, "user.nick", "Bo"},
        {user, "user.nick.length", {}}, // strings answer no keys
        {user, "user.tags.@0", "x"},
        {user, "@abc", {}},
        {user, "missing.nick", {}},
        {Value(5), "intValue", {}},
        {Value::null(), "x", {}},
        {Value(action), "actionName", "open"},
        {Value(action), "nothing", {}},
        {Value(action), "actionViews.@0.actionName", "inner"},
        // An object's answer read further, by an object again.
        {Value(Dictionary::create({{"a", action}})), "a.actionViews.@last.actionName", "inner"},
        {Value(Array::create()), "@last", {}},
        {user, "user.", {}},
        {user, "", {}},
    };
    rows[5].expected = list.array()->at(0);
    for (const Row& r : rows)
        EXPECT_EQ(dataForKeyPath(r.receiver, r.path), r.expected) << r.path;
}

TEST(KRDataOutlet, TemplatesFillPlaceholders)
{
    Value data(Dictionary::create({{"user", Dictionary::create({{"nick", "Bo"}, {"age", 7}})}}));
    struct Row {
        const char* text;
        const char* expected;
    } rows[] = {
        {"Hi {user.nick}!", "Hi Bo!"},
        {"Hi {user.name}!", "Hi !"},
        {"{user.age} years", "7 years"},
        {"open {user.nick", "open "},
        {"中文{user.nick}中文", "中文Bo中文"},
        {"}{}", "}"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(stringByDataOutlet(r.text, data), r.expected) << r.text;
    // In "{a{b}" the key looked up is "a{b".
    Value odd(Dictionary::create({{"a{b", "!"}}));
    EXPECT_EQ(stringByDataOutlet("{a{b}", odd), "!");
}

TEST(QueryValue, EncodingAndDecoding)
{
    EXPECT_EQ(encodeQueryValue("a b+c"), "a+b%2Bc");
    EXPECT_EQ(encodeQueryValue("中"), "%E4%B8%AD");
    EXPECT_EQ(encodeQueryValue("a.b-c_d~"), "a.b-c_d%7E");
    struct Row {
        const char* in;
        std::optional<std::string> out;
    } rows[] = {
        {"a+b%2Bc", "a b+c"}, {"%E4%B8%AD", "中"}, {"x%00y", "xy"}, {"%", ""},
        {"ab%4", "ab"},       {"%GGz", "z"},       {"%4Gz", "\x04z"}, {"%FF", std::nullopt},
        {"%E4%B8", std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(decodeQueryValue(r.in), r.out) << r.in;
}

TEST(QueryValue, QueriesParseAndBuild)
{
    auto values = queryValues(*pf::URL::create("http://h/p?a=1&b&c=x%20y=z&a=2&d=%FF"));
    EXPECT_EQ(values->keys(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(values->get("a"), Value("2"));
    EXPECT_EQ(values->get("c"), Value("x y"));
    EXPECT_TRUE(queryValues(*pf::URL::create("http://h/p"))->empty());

    auto one = Value(Dictionary::create({{"a", 1}}));
    struct Row {
        const char* text;
        Value values;
        const char* expected;
    } rows[] = {
        {"list", {}, "list?"},
        {"list", one, "list?a=1"},
        {"list?x=1", one, "list?x=1&a=1"},
        {"list?", one, "list?a=1"},
        {"list", Value(Dictionary::create({{"q", "a b"}, {"n", 2.5}})), "list?q=a+b&n=2.5"},
    };
    for (const Row& r : rows) {
        auto url = URLWithString(r.text, r.values);
        ASSERT_TRUE(url) << r.text;
        EXPECT_EQ(url->absoluteString(), r.expected);
    }
    auto base = pf::URL::create("http://h/api/");
    EXPECT_EQ(URLWithString("list", &*base, one)->absoluteString(), "http://h/api/list?a=1");
}

TEST(QueryValue, PathComponentsBelowABasePath)
{
    // The base is compared component by component on the decoded path.
    using Row = std::tuple<const char*, const char*, std::optional<std::string>>;
    for (const auto& [u, base, first] :
         {Row{"nav:/home/detail", "/", "home"}, Row{"nav:/home/detail", "/home", "detail"},
          Row{"nav:/home/detail", "/home/detail", {}}, Row{"x:", "/", {}}, Row{"root:///rootx/a", "/root", {}},
          Row{"root:///ro/a", "/root", {}}, Row{"root:///a", "/root/home", {}},
          Row{"root:///root/de%20tail/x", "/root/de tail", "x"}, Row{"root:///root/home//x/", "/root/home/", "x"}})
        EXPECT_EQ(firstPathComponent(*pf::URL::create(u), base), first) << u << " below " << base;
    auto url = *pf::URL::create("nav:/home/detail");
    EXPECT_EQ(firstPathComponent(url), "/");
    EXPECT_EQ(lastPathComponent(url, 0), "detail");
    EXPECT_EQ(lastPathComponent(url, 2), "/");
    EXPECT_EQ(lastPathComponent(url, 3), std::nullopt);
    EXPECT_EQ(pathComponents(*pf::URL::create("/a/b/c/"), "/a"), (std::vector<std::string>{"b", "c"}));
}
