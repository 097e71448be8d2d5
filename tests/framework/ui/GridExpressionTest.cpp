#include "framework/ui/GridExpression.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

using pf::Array;
using pf::Dictionary;
using pf::Value;

TEST(GridExpression, TemplatesFillPlaceholdersAndPercentages)
{
    auto data = [](Value rate) {
        auto d = Dictionary::create({{"name", "A"}, {"a{b", "k"}, {"n", 5}, {"user", Dictionary::create({{"nick", "Bo"}})}});
        if (!rate.isNil())
            d->set("rate", rate);
        return Value(d);
    };
    struct Row { const char* templateText; Value rate; const char* expected; } rows[] = {
        {"{name} ({percentage:rate})", 0.256, "A (25.6%)"},
        {"{name} ({percentage:rate})", {}, "A ()"},
        {"{percentage:rate}", 0.1234, "12.3%"},
        {"{percentage:rate}", "0.5 off", "50.0%"},        // text by its leading number
        {"{percentage:rate}", "none", "0.0%"},
        {"{percentage:rate}", Value::null(), "0.0%"},
        {"[{percentage:rate}]", Value(Array::create({1})), "[]"},
        {"[{percentage:rate}]", Value(Dictionary::create({{"x", 1}})), "[]"},
        {"abc{x", {}, "abc"},                               // unclosed placeholder dropped
        {"{a{b}", {}, "k"},                                 // second "{" is part of the key
        {"{n}/{user.nick}", {}, "5/Bo"},
        {"<{user.nick.x}{missing.y}>", {}, "<>"},
        {"中文{name}", {}, "中文A"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(expressionOfData(row.templateText, data(row.rate)), row.expected) << row.templateText;
}
