#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"

#include <gtest/gtest.h>

namespace {

// Field names match whatever their letters' case; nothing but letters folds,
// so punctuation one case bit apart ("@" and "`", "[" and "{") stays apart.
TEST(HttpFieldNames, MatchIgnoringTheCaseOfLettersOnly)
{
    struct Row {
        const char* a;
        const char* b;
        bool equal;
    };
    const Row rows[] = {
        {"Content-Type", "content-type", true},
        {"CONTENT-TYPE", "Content-Type", true},
        {"", "", true},
        {"Content-Type", "Content-Typ", false},
        {"Content-Type", "Content_Type", false},
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        {"\xC0", "\xE0", false},
        {"Z", "z", true},
        {"Z", "{", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(pf::equalsIgnoringCase(row.a, row.b), row.equal) << row.a << " / " << row.b;

    pf::HttpResponse response("http://127.0.0.1/", 200, {{"Content-Length", "12"}, {"X-Token", "a"}});
    EXPECT_EQ(response.valueForHTTPHeaderField("content-length"), "12");
    EXPECT_EQ(response.expectedContentLength(), 12u);
    EXPECT_EQ(response.valueForHTTPHeaderField("X-Tokem"), std::nullopt);
}

}
