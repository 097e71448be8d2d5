#include "platform/foundation/Collections.h"
#include "sdk/analytics/TXJSONDecoder.h"
#include "sdk/analytics/TXJSONDeserializing.h"

#include <gtest/gtest.h>

TEST(TXJSONDeserializing, MutableFormsGiveChangeableCollectionsAndFailLikeTheOthers)
{
    const std::string text = R"({"a":[1,"x"],"b":{"c":null}})";
    const pf::Bytes data(text.begin(), text.end());
    for (pf::Value value : { mutableObjectFromJSONString(text), mutableObjectFromJSONData(data) }) {
        auto object = value.dictionary();
        ASSERT_TRUE(object);
        object->set("d", "added");
        object->get("a").array()->add(pf::Value(2LL));
        EXPECT_EQ(object->get("a").array()->count(), 3u);
        EXPECT_EQ(object->string("d"), "added");
    }
    // Options reach the decoder, and errors come back as from the immutable forms.
    EXPECT_TRUE(mutableObjectFromJSONString("/* c */ [1]", TXJKParseOptionComments).isArray());
    TXJKError error;
    EXPECT_TRUE(mutableObjectFromJSONData(pf::Bytes{'1'}, 0, &error).isNil());
    EXPECT_EQ(error.description, "Expected either '[' or '{'.");
}

TEST(TXJSONDeserializing, ParseNamesShareTheDecoderAndItsCache)
{
    TXJSONDecoder decoder;
    // The cache serves escaped strings (a hit skips unescaping them).
    const std::string text = R"(["rep\u0065ated"])";
    const pf::Bytes data(text.begin(), text.end());
    EXPECT_EQ(parseUTF8String(decoder, text.data(), text.size()).array()->at(0), pf::Value("repeated"));
    std::size_t hits = decoder.cacheHits();
    EXPECT_EQ(parseJSONData(decoder, &data).array()->at(0), pf::Value("repeated"));
    EXPECT_GT(decoder.cacheHits(), hits);
    TXJKError error;
    EXPECT_TRUE(parseUTF8String(decoder, "[1,]", 4, &error).isNil());
    EXPECT_EQ(error.lineNumber, 1);
}
