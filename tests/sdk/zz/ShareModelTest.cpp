#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZPluginMetadata.h"

#include <gtest/gtest.h>

namespace {

pf::Bytes bytes(std::string_view text) { return pf::Bytes(text.begin(), text.end()); }

std::shared_ptr<ZZApiMessage> roundTrip(const ZZApiMessage& message)
{
    auto data = ZZArchive::archivedData(pf::Value(std::make_shared<ZZApiMessage>(message)));
    EXPECT_TRUE(data);
    return data ? ZZArchive::unarchive(*data, ZZArchive::kMaxMessageSize).objectAs<ZZApiMessage>() : nullptr;
}

}

TEST(ZZShareArchive, ObjectsComeBackAsTheirWireRow)
{
    auto url = pf::URL::create("http://zz.example/a?b=1");
    auto news = ZZApiNewsObject::objectWithURL(url, "news", "desc", bytes("png"));
    auto audio = ZZApiAudioObject::objectWithURL(url, "song", std::nullopt, bytes("p"));
    auto pay = ZZApiPayObject::objectWithOrderNo("order-1");
    pay->setTitle("pay");
    pay->setDescription("with order");
    auto text = ZZApiTextObject::objectWithText("hello");
    text->setTitle("t");
    auto image = ZZApiImageObject::objectWithData(bytes("img"), bytes("prev"), "i", "d");
    auto result = std::make_shared<ZZApiResultObject>();
    result->setError("-4");
    result->setErrorDescription("cancelled");
    result->setExtendInfo("not carried");

    auto back = roundTrip(ZZApiMessage(news, 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->type(), 1u);
    auto newsBack = std::dynamic_pointer_cast<ZZApiNewsObject>(back->object());
    ASSERT_TRUE(newsBack);
    EXPECT_EQ(newsBack->targetContentType(), 3);
    EXPECT_EQ(newsBack->url()->absoluteString(), "http://zz.example/a?b=1");
    EXPECT_EQ(newsBack->previewImageData(), bytes("png"));
    EXPECT_EQ(newsBack->description(), "desc");

    auto audioBack = std::dynamic_pointer_cast<ZZApiAudioObject>(roundTrip(ZZApiMessage(audio, 5))->object());
    ASSERT_TRUE(audioBack);
    EXPECT_EQ(audioBack->targetContentType(), 1);
    EXPECT_FALSE(audioBack->descriptionValue());

    auto payBack = roundTrip(ZZApiMessage(pay, 5))->object();
    ASSERT_TRUE(payBack);
    EXPECT_FALSE(std::dynamic_pointer_cast<ZZApiPayObject>(payBack));
    const ZZApiObject& payObject = *payBack;
    EXPECT_EQ(typeid(payObject), typeid(ZZApiObject));
    EXPECT_EQ(payBack->title(), "pay");
    EXPECT_EQ(payBack->description(), "with order");

    auto textBack = std::dynamic_pointer_cast<ZZApiTextObject>(roundTrip(ZZApiMessage(text, 5))->object());
    ASSERT_TRUE(textBack);
    EXPECT_EQ(textBack->text(), "hello");
    auto imageBack = std::dynamic_pointer_cast<ZZApiImageObject>(roundTrip(ZZApiMessage(image, 5))->object());
    ASSERT_TRUE(imageBack);
    EXPECT_EQ(imageBack->data(), bytes("img"));
    EXPECT_EQ(imageBack->previewImageData(), bytes("prev"));
    auto resultBack = std::dynamic_pointer_cast<ZZApiResultObject>(roundTrip(ZZApiMessage(result, 6))->object());
    ASSERT_TRUE(resultBack);
    EXPECT_EQ(resultBack->error(), "-4");
    EXPECT_EQ(resultBack->errorDescription(), "cancelled");
    EXPECT_FALSE(resultBack->extendInfo());

    auto empty = roundTrip(ZZApiMessage(nullptr, 3));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type(), 3u);
    EXPECT_FALSE(empty->object());
}

TEST(ZZShareArchive, ForeignOrOldArchivesGiveLittleOrNothing)
{
    auto archive = [](pf::DictionaryRef fields) {
        return ZZArchive::unarchive(*pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(fields)),
                                    ZZArchive::kMaxMessageSize);
    };
    auto wrapper = [](const char* objectType) {
        return pf::Value::data(*pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(pf::Dictionary::create(
            { { "$class", "ZZApiObjectCoderImpl" }, { "objectType", objectType }, { "ApiVersion", 1 },
              { "title", "t" } }))));
    };
    // "ApiVersion" 0: an empty message, whatever else is there.
    auto old = archive(pf::Dictionary::create({ { "$class", "ZZApiMessage" }, { "ApiVersion", 0 }, { "type", 6 },
                                                { "object", wrapper("ZZApiTextObject") } }))
                   .objectAs<ZZApiMessage>();
    ASSERT_TRUE(old);
    EXPECT_EQ(old->type(), 0u);
    EXPECT_FALSE(old->object());

    struct Row {
        pf::Value object;
        bool hasObject;
    } rows[] = {
        { wrapper("ZZApiTextObject"), true },
        { wrapper("ZZApiPayObject"), false },  // not a wire name
        { wrapper("NSString"), false },
        { pf::Value::data(bytes("not an archive")), false },
        { pf::Value("text, not data"), false },
        // A record of the table that is not the wrapper.
        { pf::Value::data(*pf::KeyedArchiver::archivedDataWithRootObject(
              pf::Value(pf::Dictionary::create({ { "$class", "ZZApiAdItem" }, { "version", 1 } })))),
          false },
    };
    for (const Row& row : rows) {
        auto message = archive(pf::Dictionary::create(
                                   { { "$class", "ZZApiMessage" }, { "ApiVersion", 1 }, { "type", 1 }, { "object", row.object } }))
                           .objectAs<ZZApiMessage>();
        ASSERT_TRUE(message);
        EXPECT_EQ(message->type(), 1u);
        EXPECT_EQ(bool(message->object()), row.hasObject) << row.object.description();
    }
    // Names outside the table, and fields of the wrong type.
    EXPECT_TRUE(archive(pf::Dictionary::create({ { "$class", "ZZApiTextObject" } })).isNil());
    EXPECT_TRUE(archive(pf::Dictionary::create({ { "$class", 7 } })).isNil());
    auto item = archive(pf::Dictionary::create({ { "$class", "ZZApiAdItem" }, { "version", 1 }, { "title", 5 },
                                                 { "imgdata", "text" }, { "target", "not a url" }, { "desc", "d" } }))
                    .objectAs<ZZApiAdItem>();
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->title());
    EXPECT_FALSE(item->imageData());
    EXPECT_FALSE(item->target());
    EXPECT_EQ(item->description(), "d");
}

TEST(ZZShareArchive, AdItemsMetadataAndDataArrays)
{
    auto item = std::make_shared<ZZApiAdItem>();
    item->setTitle("ad");
    item->setDescription("desc");
    item->setImageData(bytes("jpg"));
    item->setTarget(pf::URL::create("https://zz.example/ad"));
    auto metadata = std::make_shared<ZZPluginMetadata>();
    metadata->setScheme("zmr");
    metadata->setBundleIdentifier("com.zomaru.app");
    metadata->setIconFiles(pf::Dictionary::create({ { "icon.png", pf::Value::data(bytes("12345")) } }));
    EXPECT_EQ(metadata->description(), "ApiVersion: 1\nscheme: zmr\ndisplayName: (null)\nbundleIdentifier: "
                                       "com.zomaru.app\nversion: (null)\niconFiles:\n{\niconname: icon.png\n"
                                       "iconsize: 5\n}");

    ZZDataArray list({ pf::Value(item), pf::Value(metadata), pf::Value(std::make_shared<ZZApiTextObject>()) });
    EXPECT_EQ(list.count(), 3u);
    auto back = ZZArchive::unarchive(*ZZArchive::archivedData(pf::Value(std::make_shared<ZZDataArray>(list))),
                                     ZZArchive::kMaxRegistrySize)
                    .objectAs<ZZDataArray>();
    ASSERT_TRUE(back);
    auto objects = back->objectArray();
    ASSERT_EQ(objects.size(), 3u);
    auto itemBack = objects[0].objectAs<ZZApiAdItem>();
    ASSERT_TRUE(itemBack);
    EXPECT_EQ(itemBack->title(), "ad");
    EXPECT_EQ(itemBack->imageData(), bytes("jpg"));
    EXPECT_EQ(itemBack->target()->absoluteString(), "https://zz.example/ad");
    auto metadataBack = objects[1].objectAs<ZZPluginMetadata>();
    ASSERT_TRUE(metadataBack);
    EXPECT_EQ(metadataBack->description(), metadata->description());
    // A share object has no archive of its own: a null element.
    EXPECT_TRUE(objects[2].isNull());

    EXPECT_FALSE(back->removeObjectAtIndex(3));
    EXPECT_FALSE(back->replaceObjectAtIndex(-1, pf::Value(item)));
    EXPECT_FALSE(back->replaceObjectAtIndex(0, pf::Value()));
    EXPECT_TRUE(back->removeObjectAtIndex(2));
    EXPECT_EQ(back->count(), 2u);
}

TEST(ZZShareObjects, FactoriesAndComposedLayouts)
{
    auto extend = ZZApiExtendObject::objectWithData(bytes("d"), bytes("p"), "t", "s", pf::Array::create());
    EXPECT_EQ(extend->previewImageData(), bytes("p"));
    EXPECT_TRUE(extend->imageDataArray());
    EXPECT_EQ(ZZApiVideoObject::objectWithURL(std::nullopt, "v", std::nullopt, std::optional<pf::URL>())
                  ->targetContentType(),
              2);

    EXPECT_FALSE(ZZApiCommonContentObject::objectWithDictionary(pf::Dictionary({ { "layoutType", 2 } })));
    auto pictures = ZZApiCommonContentObject::objectWithDictionary(
        pf::Dictionary({ { "pictureArray", pf::Array::create({ pf::Value::data(bytes("a")) }) }, { "layoutType", 2 } }));
    ASSERT_TRUE(pictures);
    EXPECT_FALSE(pictures->textArray());
    EXPECT_EQ(pictures->layoutType(), 2u);
    // Absent values are left out rather than stored as nothing.
    auto dictionary = pictures->toDictionary();
    EXPECT_EQ(dictionary->keys(), (std::vector<std::string>{ "pictureArray", "layoutType" }));

    auto message = ZZApiMessage::messageWithObject(pictures);
    EXPECT_EQ(message->type(), 5u);
    {
        auto task = std::make_shared<pf::Object>();
        message->setAssociatedTask(task);
        EXPECT_TRUE(message->isAssociatedWithTask());
    }
    EXPECT_FALSE(message->isAssociatedWithTask());
}
