#include "platform/foundation/Collections.h"
#include "sdk/voxly/VXMessageObject.h"

#include <gtest/gtest.h>

namespace {

std::string repeat(const std::string& unit, std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += unit;
    return out;
}

TEST(VoxlyWordCount, NarrowUnitsAndBlanksCountHalfRoundedUp)
{
    struct Row {
        std::string text;
        std::size_t words;
    } rows[] = {
        {"abc", 2}, {"你好", 2}, {"a b", 2}, {"   ", 0}, {"", 0}, {"\t", 0}, {"a", 1},
        {"你a", 2}, {repeat("a", 280), 140}, {repeat("汉", 140), 140}, {"😀", 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(vx_wordCount(row.text), row.words) << row.text;
}

TEST(VoxlyMessageValidation, FirstFailingCheckNamesItself)
{
    auto image = [](std::size_t size) {
        auto object = VXImageObject::object();
        object->imageData = pf::Bytes(size, 1);
        return object;
    };
    auto page = [](std::size_t idLength) {
        auto object = VXWebpageObject::object();
        object->objectID = std::string(idLength, 'i');
        object->title = "t";
        object->webpageUrl = "https://x.example/";
        return object;
    };
    auto message = [](std::optional<std::string> text, std::shared_ptr<VXImageObject> img,
                      std::shared_ptr<VXBaseMediaObject> media) {
        auto m = VXMessageObject::message();
        m->text = std::move(text);
        m->imageObject = std::move(img);
        m->mediaObject = std::move(media);
        return m;
    };
    auto plainMedia = VXBaseMediaObject::object();
    plainMedia->objectID = "1";
    plainMedia->title = "t";
    auto music = VXMusicObject::object();
    music->objectID = "1";
    music->title = "t";
    music->musicUrl = std::string(255, 'u');
    auto video = VXVideoObject::object();
    video->objectID = "1";
    video->title = "t";
    video->videoUrl = "v";
    video->videoStreamUrl = std::string(256, 's');
    auto thumb = page(1);
    thumb->thumbnailData = pf::Bytes(32769, 0);
    auto bigThumbOk = page(1);
    bigThumbOk->thumbnailData = pf::Bytes(32768, 0);
    auto longTitle = page(1);
    longTitle->title = std::string(1025, 't');

    struct Row {
        std::shared_ptr<VXMessageObject> message;
        std::optional<std::string> failure;
    } rows[] = {
        {message(std::nullopt, nullptr, nullptr), "消息中文本内容、图片内容和多媒体内容必须至少有一项不能为空"},
        {message("", image(1), page(1)), "消息中图片内容和多媒体内容不能共存"},
        {message(repeat("汉", 140), nullptr, nullptr), std::nullopt},
        {message(repeat("汉", 141), nullptr, nullptr), "消息文本内容长度必须小于140个汉字"},
        {message(repeat("a", 280), nullptr, nullptr), std::nullopt},
        {message(std::nullopt, image(10485760), nullptr), std::nullopt},
        {message(std::nullopt, image(10485761), nullptr), "消息的图片内容中，图片数据不能为空并且大小不能超过10M"},
        {message(std::nullopt, VXImageObject::object(), nullptr), "消息的图片内容中，图片数据不能为空并且大小不能超过10M"},
        {message(std::nullopt, nullptr, plainMedia), "不能直接发送 VXBaseMediaObject 类型的多媒体对象"},
        {message(std::nullopt, nullptr, page(255)), std::nullopt},
        {message(std::nullopt, nullptr, page(256)), "多媒体对象ID不能为空且长度不能超过255"},
        {message(std::nullopt, nullptr, longTitle), "多媒体内容中标题不能为空且长度不能大于1K"},
        {message(std::nullopt, nullptr, bigThumbOk), std::nullopt},
        {message(std::nullopt, nullptr, thumb), "多媒体内容中缩略图大小不能大于32K"},
        {message(std::nullopt, nullptr, music), std::nullopt},
        {message(std::nullopt, nullptr, video), "Video多媒体内容的videoStreamUrl长度不能超过255"},
    };
    int i = 0;
    for (const auto& row : rows)
        EXPECT_EQ(row.message->validate(), row.failure) << "row " << i++;
}

TEST(VoxlyMessageDictionary, RoundTripsAndRefusesForeignClassesAndTypes)
{
    auto message = VXMessageObject::message();
    message->text = "hi";
    auto video = VXVideoObject::object();
    video->objectID = "7";
    video->title = "clip";
    video->videoUrl = "https://v.example/1";
    video->thumbnailData = pf::Bytes{1, 2, 3};
    message->mediaObject = video;
    auto dictionary = VXMessageObject::dictionaryWithMessage(*message);
    auto back = VXMessageObject::messageWithDictionary(*dictionary);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, "hi");
    auto backVideo = std::dynamic_pointer_cast<VXVideoObject>(back->mediaObject);
    ASSERT_TRUE(backVideo);
    EXPECT_EQ(backVideo->videoUrl, "https://v.example/1");
    EXPECT_EQ(backVideo->thumbnailData, (pf::Bytes{1, 2, 3}));
    EXPECT_EQ(VXMessageObject::dictionaryWithMessage(*back)->get("mediaObject"), dictionary->get("mediaObject"));

    struct Row {
        const char* what;
        std::function<void(pf::Dictionary&)> change;
        bool readable;
    } rows[] = {
        {"no class", [](pf::Dictionary& d) { d.remove("__class"); }, false},
        {"a transfer class", [](pf::Dictionary& d) { d.set("__class", "VXAuthorizeRequest"); }, false},
        {"no content", [](pf::Dictionary& d) { d.remove("text"); d.remove("mediaObject"); }, false},
        {"text of another type", [](pf::Dictionary& d) { d.set("text", 5); d.remove("mediaObject"); }, false},
    };
    for (const auto& row : rows) {
        auto copy = dictionary->mutableCopy();
        row.change(*copy);
        EXPECT_EQ(VXMessageObject::messageWithDictionary(*copy) != nullptr, row.readable) << row.what;
    }
    auto media = dictionary->dictionary("mediaObject")->mutableCopy();
    media->set("__class", "VXMessageObject");
    EXPECT_FALSE(VXBaseMediaObject::mappedMediaObjectWithDictionary(*media));
    media->set("__class", "VXWebpageObject");
    media->set("webpageUrl", pf::Value::data(pf::Bytes{1}));
    auto pageObject = std::dynamic_pointer_cast<VXWebpageObject>(VXBaseMediaObject::mappedMediaObjectWithDictionary(*media));
    ASSERT_TRUE(pageObject);
    EXPECT_FALSE(pageObject->webpageUrl);
}

}
