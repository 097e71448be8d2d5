#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/graphics/Image.h"
#include "sdk/zz/CTXAppidConvert.h"
#include "sdk/zz/ZZApi.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiLog.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiMessageAndUrlConverter.h"
#include "sdk/zz/ZZApiURLDecoder.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZPasteboard.h"
#include "sdk/zz/ZZPluginMetadata.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using ZZShareApi = ShareDeviceFixture;

pf::Bytes bytes(std::string_view text) { return pf::Bytes(text.begin(), text.end()); }

std::string b64(std::string_view text) { return *ZZOpenApiUtility::base64EncodedStringWithUTF8String(std::string(text)); }

std::shared_ptr<ZZApiMessage> converted(const std::string& text)
{
    auto url = pf::URL::create(text);
    EXPECT_TRUE(url) << text;
    return url ? ZZApi::handleOpenURL(*url) : nullptr;
}

std::shared_ptr<ZZApiMessage> linkMessage(std::string title, std::optional<std::string> description, std::size_t preview,
                                          std::optional<std::string> url)
{
    auto link = ZZApiURLObject::objectWithURL(url ? pf::URL::create(*url) : std::nullopt, std::move(title),
                                              std::move(description), pf::Bytes(preview, 1), 0);
    return ZZApiMessage::messageWithObject(link);
}

}

TEST(ZZShareBase64, LenientDecodeAndExactEncode)
{
    struct Row {
        const char* text;
        std::optional<std::string> decoded;
    } rows[] = {
        { "aGVsbG8=", "hello" },
        { "aGVs\nbG8 =", "hello" },
        { "aGk=", "hi" },
        { "aA==", "h" },
        { "aGVsbG8", std::nullopt },
        { "aGV", std::nullopt },
        { "", std::nullopt },
        { "!!!!", std::nullopt },
        { "/w==", std::nullopt }, // the byte 0xFF is not UTF-8
    };
    for (const Row& row : rows)
        EXPECT_EQ(ZZOpenApiUtility::UTF8StringWithBase64String(std::string(row.text)), row.decoded) << row.text;
    EXPECT_EQ(ZZOpenApiUtility::dataWithBase64EncodedString(std::string("/w==")), pf::Bytes{ 0xFF });
    EXPECT_EQ(ZZOpenApiUtility::base64EncodedStringWithData(pf::Bytes{}), "");
    EXPECT_EQ(ZZOpenApiUtility::base64EncodedStringWithData(pf::Bytes{ 0xFB, 0xFF }), "+/8=");
    EXPECT_FALSE(ZZOpenApiUtility::base64EncodedStringWithData(std::nullopt));
    for (std::size_t n = 0; n < 7; ++n) {
        pf::Bytes data(n, static_cast<std::uint8_t>(0xA0 + n));
        auto text = ZZOpenApiUtility::base64EncodedStringWithData(data);
        EXPECT_EQ(text->size() % 4, 0u);
        if (n) {
            EXPECT_EQ(ZZOpenApiUtility::dataWithBase64EncodedString(text), data) << n;
        }
    }
}

TEST_F(ZZShareApi, ConverterRowsFromZZ)
{
    // "/pick" needs no field: a query without any "=" pair still asks.
    for (std::string query : { "?title=" + b64("ignored") + "&file_type=text", std::string("?x") }) {
        auto pick = converted("zmr://request_from_zz/pick" + query);
        ASSERT_TRUE(pick) << query;
        EXPECT_EQ(pick->type(), 3u);
        EXPECT_FALSE(pick->object());
    }

    auto text = converted("zmr://request_from_zz/view?file_type=text&title=" + b64("T") + "&file_data=" + b64("body")
                          + "&description=" + b64("D") + "&junk");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type(), 1u);
    auto textObject = std::dynamic_pointer_cast<ZZApiTextObject>(text->object());
    ASSERT_TRUE(textObject);
    EXPECT_EQ(textObject->text(), "body");
    EXPECT_EQ(textObject->title(), "T");
    EXPECT_EQ(textObject->description(), "D");

    auto response = converted("zmr://response_from_zz?error=-4&error_description=" + b64("user cancelled")
                              + "&error_extend_info=" + b64("x=1"));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->type(), 6u);
    auto result = std::dynamic_pointer_cast<ZZApiResultObject>(response->object());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->error(), "-4");
    EXPECT_EQ(result->errorDescription(), "user cancelled");
    EXPECT_EQ(result->extendInfo(), "x=1");
    // A value holding "=" keeps all after the first one; garbage base64 stays nil.
    auto garbage = converted("zmr://response_from_zz?error=a=b&error_description=@@@");
    EXPECT_EQ(std::dynamic_pointer_cast<ZZApiResultObject>(garbage->object())->error(), "a=b");
    EXPECT_FALSE(std::dynamic_pointer_cast<ZZApiResultObject>(garbage->object())->errorDescription());

    const char* malformed[] = {
        "zmr://request_from_zz/view",          // no query
        "zmr://request_from_zz/other?a=1",     // unknown path
        "zmr://elsewhere/view?file_type=text", // unknown host
        "zmr:/request_from_zz?a=1",            // no host
    };
    for (const char* row : malformed) {
        auto url = pf::URL::create(row);
        EXPECT_FALSE(url && ZZApi::handleOpenURL(*url)) << row;
    }
    auto unknownKind = converted("zmr://request_from_zz/view?file_type=hologram");
    ASSERT_TRUE(unknownKind);
    EXPECT_FALSE(unknownKind->object());

    // The outgoing side is the scripts': every native builder answers nothing.
    using C = ZZApiMessageAndUrlConverter;
    const C::QueryItem item { { "file_type", "text" } };
    const std::optional<pf::URL> built[] = {
        C::urlWithMessage(ZZApiMessage::messageWithObject(ZZApiTextObject::objectWithText("t"), 1)),
        C::urlWithTextObject(ZZApiTextObject::objectWithText("t"), 1),
        C::urlWithExtendObject(std::make_shared<ZZApiExtendObject>(), 1),
        C::urlWithImageObject(std::make_shared<ZZApiImageObject>(), 1),
        C::urlWithURLObject(std::make_shared<ZZApiURLObject>(), 1),
        C::urlWithCommonContentObject(std::make_shared<ZZApiCommonContentObject>(), 1),
        C::urlWithPayObject(std::make_shared<ZZApiPayObject>(), 1),
        C::urlWithWPAObject(std::make_shared<ZZApiWPAObject>(), 1),
        C::urlWithQueryItem(item, 1),
        C::urlWithQueryItemForPay(item, 1),
        C::urlWithQueryItemForWPA(item, 1),
        ZZApiMessageUtil::URLWithMessage(nullptr),
    };
    for (std::size_t i = 0; i < std::size(built); ++i)
        EXPECT_FALSE(built[i]) << "builder " << i;
}

TEST_F(ZZShareApi, ViewKindsReadTheirBytesFromTheLargeDataBoard)
{
    ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(bytes("preview"), bytes("file"),
                                                            pf::Array::create({ pf::Value::data(bytes("p1")) }));
    auto query = "&title=" + b64("T") + "&url=" + b64("http://zz.example/n");
    auto image = std::dynamic_pointer_cast<ZZApiImageObject>(
        converted("zmr://request_from_zz/view?file_type=image&file_data=" + b64("query bytes") + query)->object());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->data(), bytes("file"));
    EXPECT_EQ(image->previewImageData(), bytes("preview"));
    auto news = std::dynamic_pointer_cast<ZZApiNewsObject>(
        converted("zmr://request_from_zz/view?file_type=news" + query)->object());
    ASSERT_TRUE(news);
    EXPECT_EQ(news->url()->absoluteString(), "http://zz.example/n");
    EXPECT_EQ(news->targetContentType(), 3);
    auto link = converted("zmr://request_from_zz/view?file_type=url" + query)->object();
    const ZZApiObject& linkObject = *link;
    EXPECT_EQ(typeid(linkObject), typeid(ZZApiURLObject));
    auto file = converted("zmr://request_from_zz/view?file_type=file" + query)->object();
    const ZZApiObject& fileObject = *file;
    EXPECT_EQ(typeid(fileObject), typeid(ZZApiExtendObject));

    // Fields of the wrong type are not taken.
    ZZApiDatastore::instance().setApiLargeData(pf::Value(pf::Dictionary::create(
        { { "file_data", "text" }, { "previewimagedata", 5 }, { "pictureArray", pf::Array::create() } })));
    auto typed = std::dynamic_pointer_cast<ZZApiImageObject>(
        converted("zmr://request_from_zz/view?file_type=img" + query)->object());
    ASSERT_TRUE(typed);
    EXPECT_FALSE(typed->data());
    EXPECT_FALSE(typed->previewImageData());
    EXPECT_TRUE(std::dynamic_pointer_cast<ZZApiCommonContentObject>(
        converted("zmr://request_from_zz/view?file_type=common" + query)->object()));

    // "NeedToGetData" points at the API-message board.
    ZZApiDatastore::instance().setApiMessage(pf::Value(ZZApiMessage::messageWithObject(ZZApiTextObject::objectWithText("m"))));
    auto url = pf::URL::create("zmr://x/y?NeedToGetData=true");
    ASSERT_TRUE(ZZApiMessageAndUrlConverter::messageWithUrlUsedClipboard(&*url));
    url = pf::URL::create("zmr://x/y?NeedToGetData=yes");
    EXPECT_FALSE(ZZApiMessageAndUrlConverter::messageWithUrlUsedClipboard(&*url));
}

TEST_F(ZZShareApi, LargeDataGoesGeneralWhenZZReadsItThere)
{
    auto& store = ZZApiDatastore::instance();
    auto large = pf::Value(pf::Dictionary::create({ { "file_data", pf::Value::data(bytes("x")) } }));
    EXPECT_EQ(store.setApiLargeData(large), 0);
    EXPECT_TRUE(store.getApiLargeData().isDictionary());
    EXPECT_TRUE(store.getApiLargeDataByGeneralPastboard().isNil());
    store.clearApiLargeData();
    installApp("com.zz.app", { "mzz", "mzzopensdkapiV2" });
    EXPECT_TRUE(store.isZZSupportApiGeneralPastboard());
    EXPECT_EQ(store.setApiLargeData(large), 0);
    EXPECT_TRUE(store.getApiLargeData().isNil());
    EXPECT_TRUE(store.getApiLargeDataByGeneralPastboard().isDictionary());
    store.clearApiLargeData();
    EXPECT_TRUE(store.getApiLargeDataByGeneralPastboard().isNil());
}

TEST_F(ZZShareApi, URLMessageLimitsAtEachBound)
{
    std::string url512 = "http://zz.example/" + std::string(512 - 18, 'a');
    std::string title128(128, 't');
    // A title of 128 UTF-16 units in Chinese characters is 384 bytes.
    std::string chinese;
    for (int i = 0; i < 128; ++i)
        chinese += "标";
    struct Row {
        std::shared_ptr<ZZApiMessage> message;
        bool ok;
    } rows[] = {
        { linkMessage(title128, std::string(512, 'd'), 1048576, url512), true },
        { linkMessage(chinese, std::nullopt, 0, url512), true },
        { linkMessage(title128 + "t", std::nullopt, 0, url512), false },
        { linkMessage(chinese + "标", std::nullopt, 0, url512), false },
        { linkMessage("t", std::string(513, 'd'), 0, url512), false },
        { linkMessage("t", std::nullopt, 1048577, url512), false },
        { linkMessage("", std::nullopt, 0, url512), false },
        { linkMessage("t", std::nullopt, 0, std::nullopt), false },
        { linkMessage("t", std::nullopt, 0, url512 + "a"), false },
        // Not a link at all: no URL.
        { ZZApiMessage::messageWithObject(ZZApiTextObject::objectWithText("x")), false },
        { ZZApiMessage::messageWithObject(nullptr), false },
        { nullptr, false },
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(ZZApi::checkZZApiURLMessage(rows[i].message), rows[i].ok) << i;
    // The first failure is the one reported: a long title, not the missing URL.
    ZZApiLogCloseForTesting();
    ZZApi::checkZZApiURLMessage(linkMessage(title128 + "t", std::nullopt, 0, std::nullopt));
    auto log = pf::readFile(pf::documentsDirectory() + "/ZZApi.log");
    ASSERT_TRUE(log);
    std::string text(log->begin(), log->end());
    auto last = text.substr(text.rfind("-ZZAPI-"));
    EXPECT_NE(last.find("param error: title is too long"), std::string::npos) << last;
}

TEST_F(ZZShareApi, TheLogKeepsItsTailWhenANewProcessOpensIt)
{
    std::string path = pf::documentsDirectory() + "/ZZApi.log";
    ZZApiLogCloseForTesting();
    {
        std::ofstream file(path, std::ios::trunc | std::ios::binary);
        for (int i = 0; i < 3000000 / 10; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "%09d\n", i);
            file << line;
        }
    }
    ASSERT_EQ(pf::readFile(path)->size(), 3000000u);
    ZZApiLog("/src/some/dir/File.cpp", 42, "after %d", 7);
    auto log = pf::readFile(path);
    ASSERT_TRUE(log);
    std::string text(log->begin(), log->end());
    ASSERT_GT(text.size(), 524288u);
    // The kept part is the old file's last 524,288 bytes: it ends with the last line written.
    EXPECT_EQ(text.substr(524288 - 10, 10), "000299999\n");
    auto rest = text.substr(524288);
    EXPECT_EQ(rest.rfind("\n\n\n\n\n********** BEGIN LOG ON ", 0), 0u);
    EXPECT_NE(rest.find(" -ZZAPI- File.cpp:42 after 7\n"), std::string::npos);
    EXPECT_FALSE(pf::fileExists(pf::documentsDirectory() + "/ZZApiTemp.log"));
}

TEST_F(ZZShareApi, TheLogMasksTokensOnStandardOutputAndInItsFile)
{
    testing::internal::CaptureStdout();
    ZZApiLog("/src/sdk/zz/ZZOpenApiUtility.cpp", 35, "unable to open url:%s",
             "zzcb://auth?access_token=S3cr3t&uid=4");
    std::string printed = testing::internal::GetCapturedStdout();
    auto log = pf::readFile(pf::documentsDirectory() + "/ZZApi.log");
    ASSERT_TRUE(log);
    for (const std::string& text : {printed, std::string(log->begin(), log->end())}) {
        EXPECT_EQ(text.find("S3cr3t"), std::string::npos) << text;
        EXPECT_NE(text.find("url:zzcb://auth?access_token=***&uid=4\n"), std::string::npos) << text;
    }
}

TEST_F(ZZShareApi, PluginRegistrationKeepsOneEntryPerBundleAndTwoIcons)
{
    std::string bundleEntries = "<key>CFBundleIdentifier</key><string>com.zomaru.app</string>"
                                "<key>CFBundleVersion</key><string>2.5</string>"
                                "<key>CFBundleDisplayName</key><string>Zomaru</string>"
                                "<key>CFBundleIconFiles</key><array><string>a.png</string><string>missing.png</string>"
                                "<string>b.png</string><string>c.png</string></array>";
    useBundle(bundleEntries);
    for (const char* icon : { "a.png", "b.png", "c.png" })
        std::ofstream(pf::Bundle::main()->resourcePath() + "/" + icon) << "icon " << icon;
    auto registry = [] {
        return ZZArrayPasteboard(ZZApiDatastore::kRegistryBoard, ZZArchive::kMaxRegistrySize).objectArray();
    };
    ZZApi::registerPluginWithId("zmr-plugin");
    ZZApi::registerPluginWithId("zmr-plugin-2");
    auto entries = registry();
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    auto metadata = entries->front().objectAs<ZZPluginMetadata>();
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->scheme(), "zmr-plugin-2");
    EXPECT_EQ(metadata->version(), "2.5");
    EXPECT_EQ(metadata->iconFiles()->keys(), (std::vector<std::string>{ "a.png", "b.png" }));
    EXPECT_EQ(ZZApiDatastore::instance().scheme(), "zmr-plugin-2");
    EXPECT_EQ(ZZApiDatastore::instance().appName(), "Zomaru");

    // Another bundle adds its own entry; a foreign non-metadata entry and
    // one without a bundle identifier are kept and match nothing.
    ZZArrayPasteboard(ZZApiDatastore::kRegistryBoard, ZZArchive::kMaxRegistrySize).addObject(pf::Value("foreign"));
    auto anonymous = std::make_shared<ZZPluginMetadata>();
    EXPECT_EQ(ZZApiDatastore::instance().registerWithMetadata(anonymous), 0);
    EXPECT_EQ(ZZApiDatastore::instance().registerWithMetadata(anonymous), 0);
    useBundle("<key>CFBundleIdentifier</key><string>com.other.app</string>");
    ZZApi::registerPluginWithId("other");
    entries = registry();
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 5u);
    EXPECT_EQ(entries->at(1), pf::Value("foreign"));
    EXPECT_EQ(entries->back().objectAs<ZZPluginMetadata>()->bundleIdentifier(), "com.other.app");
    EXPECT_EQ(ZZApiDatastore::instance().registerWithMetadata(nullptr), -1);

    // A registry over its cap, or one that does not decode, stays as it was.
    auto raw = pf::Pasteboard::withName(ZZApiDatastore::kRegistryBoard, false);
    for (const pf::Bytes& stored : { pf::Bytes{ 1, 2, 3 }, pf::Bytes(ZZArchive::kMaxRegistrySize + 1, 0) }) {
        raw->setData(stored, ZZApiDatastore::kRegistryBoard);
        ZZApi::registerPluginWithId("again");
        EXPECT_EQ(ZZApiDatastore::instance().registerWithMetadata(anonymous), -1);
        EXPECT_EQ(raw->dataForPasteboardType(ZZApiDatastore::kRegistryBoard), stored);
    }
}

TEST_F(ZZShareApi, InstalledInterfacesAndOpeningZZ)
{
    EXPECT_FALSE(ZZApi::isZZInstalled());
    EXPECT_FALSE(ZZApi::openZZApp());
    installApp("com.zz.app", { "mzz", "mzzapi" });
    EXPECT_TRUE(ZZApi::isZZInstalled());
    EXPECT_TRUE(ZZApi::isZZSupportApi());
    EXPECT_FALSE(ZZApi::isZZSupportApiForWallet());
    EXPECT_FALSE(ZZApi::isZZSupportApiForWPA());
    EXPECT_TRUE(ZZApi::appCanOpenURL(pf::Dictionary({ { "url", "mzzapi://x" } })));
    EXPECT_FALSE(ZZApi::appCanOpenURL(pf::Dictionary({ { "url", 5 } })));
    ZZApiDatastore::instance().setScheme("zmrplugin");
    EXPECT_TRUE(ZZApi::openZZApp());
    auto opened = openedURLs(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "mzz://sourceScheme=zmrplugin");
    EXPECT_EQ(ZZApi::getZZInstallURL(), "http://appstore.zz.example/cn/app/id444934666");
}

TEST_F(ZZShareApi, TheShippedBundleRegistersItsPluginSchemeVersionAndBothIcons)
{
    auto saved = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/resources"));
    pf::DictionaryRef info = pf::Bundle::main()->infoDictionary();
    ASSERT_TRUE(info);
    TXAppidConvert convert;
    ASSERT_TRUE(convert.InitWithAppId(*info->dictionary("ZZ")->string("appid")));
    std::string plugin = *convert.GetMZZAppId();
    std::vector<std::string> schemes;
    for (const pf::Value& type : *info->array("CFBundleURLTypes"))
        for (const pf::Value& scheme : *type.dictionary()->array("CFBundleURLSchemes"))
            schemes.push_back(scheme.stringOr());
    EXPECT_NE(std::find(schemes.begin(), schemes.end(), plugin), schemes.end()) << plugin;

    ZZApi::registerPluginWithId(plugin);
    pf::Bundle::setMain(saved);
    auto entries = ZZArrayPasteboard(ZZApiDatastore::kRegistryBoard, ZZArchive::kMaxRegistrySize).objectArray();
    ASSERT_TRUE(entries && entries->size() == 1u);
    auto metadata = entries->front().objectAs<ZZPluginMetadata>();
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->version(), "1.0");
    EXPECT_EQ(metadata->iconFiles()->keys(), (std::vector<std::string>{ "Icon.png", "Icon@2x.png" }));
    for (const auto& [name, data] : *metadata->iconFiles())
        EXPECT_TRUE(pf::Image::fromData(*data.data())) << name;
}
