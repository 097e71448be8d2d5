#include "platform/foundation/Collections.h"
#include "platform/foundation/QueryString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The dictionary as "k=v;" pieces in key order, or "null".
std::string dump(const pf::DictionaryRef& fields)
{
    if (!fields)
        return "null";
    std::string out;
    for (const auto& key : fields->keys())
        out += key + "=" + fields->get(key).stringOr("?") + ";";
    return out;
}

using pf::QueryRules;
using pf::SecondEquals;

}

TEST(QueryStringRules, EachRuleChangesOnlyWhatItNames)
{
    const std::string query = "a=1&b=x%20y=z&a=2&c&%6Bn=v&=e&u=%FF;s=3";
    struct Row {
        const char* name;
        QueryRules rules;
        const char* fields;
    } rows[] = {
        { "defaults: value ends at a second '=', values decoded, later wins", {}, "a=2;b=x y;%6Bn=v;=e;" },
        { "a second '=' skips the piece", { .secondEquals = SecondEquals::SkipsPiece }, "a=2;%6Bn=v;=e;" },
        { "a second '=' stays in the value", { .secondEquals = SecondEquals::KeepsRest }, "a=2;b=x y=z;%6Bn=v;=e;" },
        { "nothing decoded", { .secondEquals = SecondEquals::KeepsRest, .decode = QueryRules::Decode::None },
          "a=2;b=x%20y=z;%6Bn=v;=e;u=%FF;s=3;" },
        { "names decoded too, no empty name", { .decode = QueryRules::Decode::NameAndValue, .emptyNameAllowed = false },
          "a=2;b=x y;kn=v;" },
        { "the first value wins", { .repeats = QueryRules::Repeats::FirstWins }, "a=1;b=x y;%6Bn=v;=e;" },
        { "';' separates too", { .separators = "&;" }, "a=2;b=x y;%6Bn=v;=e;s=3;" },
        { "a piece that is not UTF-8 refuses the query",
          { .undecodable = QueryRules::Undecodable::RefusesQuery, .separators = "&;" }, "null" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(dump(pf::parseQuery(query, row.rules)), row.fields) << row.name;

    EXPECT_EQ(dump(pf::parseQueryBehind("app://x?k=v&k=w", "?", { .repeats = QueryRules::Repeats::FirstWins })), "k=v;");
    EXPECT_EQ(dump(pf::parseQueryBehind("app://x#k=v", "?")), "") << "no separator, no fields";
    EXPECT_EQ(dump(pf::parseQuery("")), "");
}
