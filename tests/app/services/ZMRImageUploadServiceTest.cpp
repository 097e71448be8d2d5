#include "SocialTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRImageUploadService.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"

namespace {

using ZMRImageUpload = SocialBus;

pf::BitmapRef picture(int width, int height, double scale = 1)
{
    return *pf::Bitmap::create(width, height, scale);
}

// The "uri" part's content of a multipart body.
std::string uriPart(const pf::HttpRequest& request)
{
    auto body = request.httpBody();
    std::string text(body->begin(), body->end());
    std::size_t name = text.find("name=\"uri\"");
    std::size_t start = text.find("\r\n\r\n", name);
    std::size_t end = text.rfind("\r\n--");
    if (name == std::string::npos || start == std::string::npos || end == std::string::npos || end < start + 4)
        return "(no part)";
    return text.substr(start + 4, end - start - 4);
}

}

TEST_F(ZMRImageUpload, WideImagesAreScaledToTheLimitAndPostedAsOneJpegPart)
{
    struct Row {
        pf::BitmapRef image;
        float maxWidth;
        pf::Size sent;
    } rows[] = {
        {picture(640, 2000), 640, {640, 2000}}, {picture(100, 50), 0, {100, 50}},
        {picture(400, 400, 2), 160, {160, 160}}, {nullptr, 640, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sent.width);
        auto upload = std::make_shared<ZMRImageUploadTask>();
        upload->setImage(row.image);
        upload->setMaxWidth(row.maxWidth);
        send(proto::IZMRImageUploadTask(), upload);
        EXPECT_EQ(upload->imageSize(), row.sent);
        ASSERT_FALSE(uploads.uploads.empty());
        auto request = uploads.uploads.back()->request();
        ASSERT_TRUE(request);
        std::string jpeg = uriPart(*request);
        if (!row.image) {
            EXPECT_EQ(jpeg, "");
            continue;
        }
        auto decoded = pf::decodeImage(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size());
        ASSERT_TRUE(decoded);
        EXPECT_EQ((*decoded)->pixelWidth(), static_cast<int>(row.sent.width));
        EXPECT_EQ((*decoded)->pixelHeight(), static_cast<int>(row.sent.height));
    }
}

TEST_F(ZMRImageUpload, WithNobodyToUploadThePersonReadsANetworkFailure)
{
    uploads.refuse = true;
    send(proto::IZMRImageUploadTask(), std::make_shared<ZMRImageUploadTask>());
    ASSERT_TRUE(runMainUntil([&] { return !recorder->errors.empty(); }));
    EXPECT_EQ(ZMRMessage(recorder->errors[0]), "网络连接失败，请稍后重试");
}
