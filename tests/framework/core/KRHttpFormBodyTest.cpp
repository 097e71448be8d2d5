#include "framework/core/KRHttpFormBody.h"
#include "framework/core/QueryValue.h"

#include <gtest/gtest.h>

namespace {

std::string text(const pf::Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::shared_ptr<const pf::Bytes> bytesOf(std::string_view s)
{
    return std::make_shared<const pf::Bytes>(s.begin(), s.end());
}

}

TEST(KRHttpFormBodyEncoding, UrlEncodedBytesAreExact)
{
    struct Row {
        std::vector<std::pair<std::string, std::string>> items;
        std::string expected;
    } rows[] = {
        {{{"a", "1"}, {"b", "x y"}}, "&a=1&b=x+y"},
        {{{"my key&x", "v"}}, "&my key&x=v"},
        {{{"k", "\xE4\xB8\xAD+/"}}, "&k=%E4%B8%AD%2B%2F"},
        {{{"a", ""}, {"a", "2"}}, "&a=&a=2"},
        {{{"k", ".-_~*AZaz09%"}}, "&k=.-_%7E%2AAZaz09%25"},
        {{}, ""},
    };
    for (const auto& row : rows) {
        KRHttpFormBody body;
        for (const auto& [key, value] : row.items)
            body.addItemValue(value, key);
        EXPECT_EQ(text(body.bytesBody()), row.expected);
        EXPECT_EQ(body.contentType(), "application/x-www-form-urlencoded");
    }
}

TEST(KRHttpFormBodyEncoding, EveryByteEncodesAsAQueryValueDoes)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    KRHttpFormBody body;
    body.addItemValue(all, "all");
    body.addItemValue(all.substr(1, 40), "part");
    EXPECT_EQ(text(body.bytesBody()), "&all=" + encodeQueryValue(all) + "&part=" + encodeQueryValue(all.substr(1, 40)));
}

TEST(KRHttpFormBodyEncoding, OneByteItemMakesTheWholeBodyMultipartInOrder)
{
    KRHttpFormBody body;
    body.addItemValue("1", "a");
    body.addItemBytes(bytesOf("PNG\x01"), "image/png", "pic");
    body.addFormItem(std::make_shared<KRHttpFormItem>("bare")); // neither value nor bytes: left out
    body.addItemValue("x y", "b");
    body.addItemBytes(nullptr, "x/y", "z");
    EXPECT_EQ(text(body.bytesBody()),
              "--8jej23fkdxxd\r\n"
              "Content-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n"
              "--8jej23fkdxxd\r\n"
              "Content-Disposition: form-data; name=\"pic\"; filename=\"pic\"\r\n"
              "Content-Type: image/png\r\n"
              "Content-Transfer-Encoding: binary\r\n\r\n"
              "PNG\x01\r\n"
              "--8jej23fkdxxd\r\n"
              "Content-Disposition: form-data; name=\"b\"\r\n\r\nx y\r\n"
              "--8jej23fkdxxd\r\nContent-Disposition: form-data; name=\"z\"; filename=\"z\"\r\n"
              "Content-Type: x/y\r\nContent-Transfer-Encoding: binary\r\n\r\n\r\n"
              "--8jej23fkdxxd--");
    EXPECT_EQ(body.contentType(), "multipart/form-data; boundary=8jej23fkdxxd");
}

TEST(KRHttpFormBodyEncoding, ItemHoldingTheBoundaryGetsAnotherBoundary)
{
    KRHttpFormBody body;
    body.addItemBytes(bytesOf("--8jej23fkdxxd--8jej23fkdxxd-1"), "text/plain", "f");
    std::string encoded = text(body.bytesBody());
    EXPECT_EQ(body.contentType(), "multipart/form-data; boundary=8jej23fkdxxd-2");
    EXPECT_EQ(encoded.rfind("--8jej23fkdxxd-2--"), encoded.size() - 18);
}

TEST(KRHttpFormBodyItems, SetKeepsOneItemOfTheKeyAtTheEnd)
{
    KRHttpFormBody body;
    body.addItemValue("1", "k");
    body.addItemValue("2", "other");
    body.addItemValue("3", "k");
    body.addItemBytes(bytesOf("b"), "x/y", "k");
    body.setItemValue("4", "k"); // no byte item is left: the body is not multipart
    EXPECT_EQ(text(body.bytesBody()), "&other=2&k=4");
}
