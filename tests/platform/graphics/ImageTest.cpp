#include "ImageSamples.h"
#include "PixelProbe.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <unistd.h>

using namespace pf;
using namespace pf::test;

namespace {

const Color red{1, 0, 0, 1}, blue{0, 0, 1, 1}, green{0, 1, 0, 1};

// A PNG writer over bytes in memory (libpng's classic writer).
struct PngOut {
    Bytes bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngOut(std::uint32_t width, std::uint32_t height, int depth, int colorType, bool interlaced = false)
    {
        png_set_write_fn(png, &bytes, [](png_structp p, png_bytep data, png_size_t n) {
            auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        }, nullptr);
        png_set_IHDR(png, info, width, height, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    }
    ~PngOut() { png_destroy_write_struct(&png, &info); }
};

// A PNG whose header declares the size and whose data is one empty block.
Bytes pngDeclaring(std::uint32_t width, std::uint32_t height)
{
    PngOut out(width, height, 8, PNG_COLOR_TYPE_RGBA);
    png_write_info(out.png, out.info);
    const png_byte empty[] = {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    png_write_chunk(out.png, reinterpret_cast<png_const_bytep>("IDAT"), empty, sizeof empty);
    png_write_chunk(out.png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    return out.bytes;
}

// Rewrites the frame size of the first baseline frame header.
Bytes jpegDeclaring(Bytes jpeg, std::uint16_t width, std::uint16_t height)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = std::uint8_t(height >> 8), jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8), jpeg[i + 8] = std::uint8_t(width);
            break;
        }
    }
    return jpeg;
}

// A 16-bit PNG whose pixel (x, y) has the 16-bit channels `at(x, y)`
// (grey, or red, green, blue, alpha), with `transparent` as its tRNS colour
// when given.
Bytes png16(int width, int height, int colorType, bool interlaced, bool gammaChunk,
            const std::function<std::vector<std::uint16_t>(int, int)>& at,
            const png_color_16* transparent = nullptr)
{
    PngOut out(png_uint_32(width), png_uint_32(height), 16, colorType, interlaced);
    if (gammaChunk)
        png_set_gAMA(out.png, out.info, 1.0); // linear light
    if (transparent)
        png_set_tRNS(out.png, out.info, nullptr, 0, transparent);
    std::vector<Bytes> rows(static_cast<std::size_t>(height));
    std::vector<png_bytep> pointers;
    for (auto& row : rows) {
        for (int x = 0; x < width; ++x)
            for (std::uint16_t v : at(x, int(pointers.size())))
                row.insert(row.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        pointers.push_back(row.data());
    }
    png_set_rows(out.png, out.info, pointers.data());
    png_write_png(out.png, out.info, PNG_TRANSFORM_IDENTITY, nullptr);
    return out.bytes;
}

struct TempDir {
    std::string path;
    TempDir()
    {
        path = (std::filesystem::temp_directory_path() / ("zmr-image-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    void write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(path + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                   std::streamsize(bytes.size()));
    }
};

}

TEST(ImageDecode, EachFormatGivesItsPixelsInPlace)
{
    auto split = splitBitmap(16, 8, red, blue);
    auto translucent = splitBitmap(16, 8, Color{0, 1, 0, 0.5}, Color{0, 0, 0, 0});
    const std::uint8_t cyan[4] = {0, 255, 255, 255}, yellow[4] = {255, 255, 0, 255}; // 255 is no ink
    struct Row {
        const char* name;
        Bytes bytes;
        ImageFormat format;
        Color left, right;
        int tolerance;
    } rows[] = {
        {"png", pngBytes(*split), ImageFormat::Png, red, blue, 1},
        {"png with alpha", pngBytes(*translucent), ImageFormat::Png, Color{0, 1, 0, 0.5}, Color{0, 0, 0, 0}, 2},
        {"jpeg", jpegBytes(*split, 1.0), ImageFormat::Jpeg, red, blue, 12},
        {"cmyk jpeg", cmykJpegBytes(16, 8, cyan, yellow), ImageFormat::Jpeg, Color{0, 1, 1, 1}, Color{1, 1, 0, 1}, 12},
        {"gif", gifBytes(16, 8, {0xff0000, 0x0000ff}, {[] {
                             GifFrameSpec f = solidGifFrame(0, 0, 16, 8, 0);
                             for (int y = 0; y < 8; ++y)
                                 std::fill_n(f.indexes.begin() + y * 16 + 8, 8, 1);
                             return f;
                         }()}),
         ImageFormat::Gif, red, blue, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sniffImageFormat(row.bytes.data(), row.bytes.size()), row.format);
        auto decoded = decodeImage(row.bytes.data(), row.bytes.size(), 2);
        ASSERT_TRUE(decoded) << decoded.error().description;
        const Bitmap& bitmap = *decoded.value();
        EXPECT_EQ(bitmap.pixelWidth(), 16);
        EXPECT_EQ(bitmap.pixelHeight(), 8);
        EXPECT_EQ(bitmap.size(), (Size{8, 4}));
        EXPECT_TRUE(pixelIs(bitmap, {1, 2}, row.left, row.tolerance));
        EXPECT_TRUE(pixelIs(bitmap, {7, 2}, row.right, row.tolerance));
    }
}

TEST(ImageDecode, DeclaredSizesOverTheCapAreRefusedBeforeDecoding)
{
    Bytes smallJpeg = jpegBytes(*splitBitmap(8, 8, red, blue));
    Bytes wideGif = gifBytes(4, 4, {0xff0000, 0x0000ff}, {solidGifFrame(0, 0, 4, 4, 0)});
    wideGif[6] = 0xff, wideGif[7] = 0xff, wideGif[8] = 0xff, wideGif[9] = 0xff; // screen 65535 x 65535
    struct Row {
        const char* name;
        Bytes bytes;
    } rows[] = {
        {"png 8193 x 8192", pngDeclaring(8193, 8192)},
        {"png 100000 x 1000", pngDeclaring(100000, 1000)},
        {"png wider than a surface", pngDeclaring(40000, 2)},
        {"jpeg 65000 x 65000", jpegDeclaring(smallJpeg, 65000, 65000)},
        {"gif screen 65535 x 65535", wideGif},
    };
    for (const auto& row : rows) {
        auto decoded = decodeImage(row.bytes.data(), row.bytes.size());
        ASSERT_FALSE(decoded) << row.name;
        EXPECT_EQ(decoded.error().code, static_cast<long long>(ImageCodecError::TooLarge))
            << row.name << ": " << decoded.error().description;
    }
    // At the cap the header passes and the (empty) data is what fails.
    Bytes atCap = pngDeclaring(8192, 8192);
    auto decoded = decodeImage(atCap.data(), atCap.size());
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().code, static_cast<long long>(ImageCodecError::Corrupt));
}

TEST(ImageDecode, HeaderSizesAreReadWithoutDecoding)
{
    Bytes jpeg = jpegBytes(*splitBitmap(16, 8, red, blue));
    Bytes gif = gifBytes(5, 3, {0xff0000}, {solidGifFrame(0, 0, 5, 3, 0)});
    Bytes png = pngDeclaring(4, 4);
    struct Row {
        const char* name;
        Bytes bytes;
        std::optional<std::pair<std::uint32_t, std::uint32_t>> size;
    } rows[] = {
        {"png", pngBytes(*splitBitmap(16, 8, red, blue)), std::pair(16u, 8u)},
        {"png declaring 100000 x 1000", pngDeclaring(100000, 1000), std::pair(100000u, 1000u)},
        {"jpeg", jpeg, std::pair(16u, 8u)},
        {"jpeg declaring 65000 x 600", jpegDeclaring(jpeg, 65000, 600), std::pair(65000u, 600u)},
        {"jpeg cut before its frame header", Bytes(jpeg.begin(), jpeg.begin() + 4), std::nullopt},
        {"gif", gif, std::pair(5u, 3u)},
        {"two bytes", Bytes(jpeg.begin(), jpeg.begin() + 2), std::nullopt},
        {"png cut before its header", Bytes(png.begin(), png.begin() + 20), std::nullopt},
        {"not a picture", Bytes{'a', 'b', 'c'}, std::nullopt},
    };
    for (const auto& row : rows) {
        auto size = imagePixelSize(row.bytes.data(), row.bytes.size());
        ASSERT_EQ(size.has_value(), row.size.has_value()) << row.name;
        if (size) {
            EXPECT_EQ(size->width, row.size->first) << row.name;
            EXPECT_EQ(size->height, row.size->second) << row.name;
        }
    }
}

TEST(ImageDecode, SixteenBitPngsKeepEveryRowAndTheirBrightness)
{
    auto stripes = [](int, int y) -> std::vector<std::uint16_t> {
        return {std::uint16_t(y % 2 ? 0xffff : 0), 0, std::uint16_t(y % 2 ? 0 : 0xffff)}; // red and blue rows
    };
    auto grey = [](int, int) -> std::vector<std::uint16_t> { return {0x8080}; };
    struct Row {
        const char* name;
        Bytes bytes;
        Point even, odd; // probes on an even and an odd row
        Color evenColour, oddColour;
    } rows[] = {
        {"interlaced rgb", png16(9, 9, PNG_COLOR_TYPE_RGB, true, false, stripes), {3, 4}, {5, 7}, blue, red},
        {"grey without gamma is sRGB", png16(4, 4, PNG_COLOR_TYPE_GRAY, true, false, grey), {1, 2}, {2, 1},
         Color{0.5, 0.5, 0.5, 1}, Color{0.5, 0.5, 0.5, 1}},
        {"linear grey is lighter", png16(4, 4, PNG_COLOR_TYPE_GRAY, false, true, grey), {1, 2}, {2, 1},
         Color{0.737, 0.737, 0.737, 1}, Color{0.737, 0.737, 0.737, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto decoded = decodeImage(row.bytes.data(), row.bytes.size());
        ASSERT_TRUE(decoded) << decoded.error().description;
        EXPECT_TRUE(pixelIs(*decoded.value(), row.even, row.evenColour, 2));
        EXPECT_TRUE(pixelIs(*decoded.value(), row.odd, row.oddColour, 2));
    }
}

TEST(ImageDecode, SixteenBitPngsWithATransparentColourKeepTheOthers)
{
    // Columns: the transparent colour, one step away from it in the low byte
    // (equal once cut to 8 bits, still opaque), and two plain colours.
    png_color_16 greyKey{}, rgbKey{};
    greyKey.gray = 0x4020;
    rgbKey.red = 0x4020, rgbKey.green = 0x8040, rgbKey.blue = 0xc060;
    auto grey = [](int x, int) -> std::vector<std::uint16_t> {
        const std::uint16_t columns[] = {0x4020, 0x4021, 0xffff, 0x0000};
        return {columns[x]};
    };
    auto rgb = [](int x, int) -> std::vector<std::uint16_t> {
        const std::vector<std::uint16_t> columns[] = {
            {0x4020, 0x8040, 0xc060}, {0x4020, 0x8040, 0xc061}, {0xffff, 0, 0}, {0, 0, 0xffff}};
        return columns[x];
    };
    const Color clear{0, 0, 0, 0}, white{1, 1, 1, 1}, black{0, 0, 0, 1};
    const Color greyKeyColour{0x40 / 255.0, 0x40 / 255.0, 0x40 / 255.0, 1};
    const Color rgbKeyColour{0x40 / 255.0, 0x80 / 255.0, 0xc0 / 255.0, 1};
    struct Row {
        const char* name;
        Bytes bytes;
        Color columns[4];
    } rows[] = {
        {"grey", png16(4, 3, PNG_COLOR_TYPE_GRAY, false, false, grey, &greyKey), {clear, greyKeyColour, white, black}},
        {"interlaced grey", png16(4, 3, PNG_COLOR_TYPE_GRAY, true, false, grey, &greyKey),
         {clear, greyKeyColour, white, black}},
        {"rgb", png16(4, 3, PNG_COLOR_TYPE_RGB, false, false, rgb, &rgbKey), {clear, rgbKeyColour, red, blue}},
        {"interlaced rgb", png16(4, 3, PNG_COLOR_TYPE_RGB, true, false, rgb, &rgbKey),
         {clear, rgbKeyColour, red, blue}},
        {"linear rgb", png16(4, 3, PNG_COLOR_TYPE_RGB, false, true, rgb, &rgbKey),
         {clear, Color{136 / 255.0, 186 / 255.0, 224 / 255.0, 1}, red, blue}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto decoded = decodeImage(row.bytes.data(), row.bytes.size());
        ASSERT_TRUE(decoded) << decoded.error().description;
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 3; ++y)
                EXPECT_TRUE(pixelIs(*decoded.value(), {x + 0.5, y + 0.5}, row.columns[x], 1)) << "column " << x;
    }
}

TEST(ImageDecode, GifFramesDroppedByABudgetLeaveOneLogLine)
{
    std::vector<std::uint32_t> palette = {0xff0000, 0x0000ff};
    // A canvas at the pixel cap cannot be copied within the memory budget:
    // the first frame takes it over and the rest are dropped.
    struct Row {
        const char* name;
        Bytes bytes;
        std::size_t frames;
    } rows[] = {
        {"endless", gifBytes(1, 1, palette, std::vector<GifFrameSpec>(maxDecodedFrames + 1, solidGifFrame(0, 0, 1, 1, 0))),
         maxDecodedFrames},
        {"huge canvas", gifBytes(8192, 8192, palette, {solidGifFrame(0, 0, 2, 2, 1), solidGifFrame(2, 2, 2, 2, 0)}), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::internal::CaptureStderr();
        auto frames = decodeImageFrames(row.bytes.data(), row.bytes.size());
        std::string logged = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(frames) << frames.error().description;
        EXPECT_EQ(frames.value().size(), row.frames);
        EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
        EXPECT_NE(logged.find("dropped"), std::string::npos) << logged;
    }
}

// Inputs without a whole frame are the decoding fuzz targets' (success needs one).
TEST(ImageDecode, DamagedDataIsAnErrorNeverACrash)
{
    Bytes png = pngBytes(*splitBitmap(32, 32, red, blue));
    struct Row {
        const char* name;
        Bytes bytes;
    } rows[] = {
        {"png cut in its data", Bytes(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2))},
        {"gif without colour table", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2c, 0, 0, 0, 0, 1, 0,
                                      1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3b}},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(decodeImage(row.bytes.data(), row.bytes.size())) << row.name;
}

TEST(ImageDecode, TruncatedJpegKeepsTheRowsThatArrived)
{
    // Red rows on top, then noise that makes up most of the file.
    std::vector<std::uint8_t> rgba(128 * 256 * 4, 255);
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        bool top = i < 128 * 32 * 4;
        if (i % 4 != 3)
            rgba[i] = top ? (i % 4 == 0 ? 255 : 0) : std::uint8_t(seed >> 16);
    }
    auto bitmap = Bitmap::fromRgba(128, 256, rgba.data(), 128 * 4).value();
    Bytes jpeg = jpegBytes(*bitmap);
    jpeg.resize(jpeg.size() / 2);
    auto decoded = decodeImage(jpeg.data(), jpeg.size());
    ASSERT_TRUE(decoded) << decoded.error().description;
    EXPECT_TRUE(pixelIs(*decoded.value(), {4, 4}, red, 12));
}

// Frame delays are followed through the animated view.
TEST(ImageDecode, GifFramesFollowDisposalAndTransparency)
{
    // Palette: 0 red, 1 blue, 2 green, 3 transparent.
    std::vector<std::uint32_t> palette = {0xff0000, 0x0000ff, 0x00ff00, 0x000000};
    GifFrameSpec background = solidGifFrame(0, 0, 8, 8, 0);
    GifFrameSpec patch = solidGifFrame(0, 0, 4, 4, 1); // blue top-left, then restored
    patch.disposal = DISPOSE_PREVIOUS;
    GifFrameSpec holey = solidGifFrame(4, 4, 4, 4, 2); // green bottom-right, cleared afterwards
    holey.indexes[0] = 3;
    holey.transparentIndex = 3;
    holey.disposal = DISPOSE_BACKGROUND;
    GifFrameSpec last = solidGifFrame(0, 4, 2, 2, 1);
    Bytes gif = gifBytes(8, 8, palette, {background, patch, holey, last});

    auto frames = decodeImageFrames(gif.data(), gif.size());
    ASSERT_TRUE(frames) << frames.error().description;
    ASSERT_EQ(frames.value().size(), 4u);
    const auto& f = frames.value();
    struct Probe {
        std::size_t frame;
        Point at;
        Color colour;
    } probes[] = {
        {0, {1, 1}, red},        {1, {1, 1}, blue},   {1, {6, 6}, red},
        {2, {1, 1}, red},        {2, {6, 6}, green},  {2, {4.5, 4.5}, red}, // transparent index shows what was there
        {3, {6, 6}, Color{0, 0, 0, 0}}, {3, {1, 4}, blue},
    };
    for (const auto& probe : probes)
        EXPECT_TRUE(pixelIs(*f[probe.frame].bitmap, probe.at, probe.colour, 0)) << "frame " << probe.frame;

    auto first = decodeImageFrames(gif.data(), gif.size(), 1, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.value().size(), 1u);
    EXPECT_EQ(Image::fromData(gif, 2, ImageFrames::All).value()->byteCount(), 4u * 8 * 8 * 4);
    EXPECT_EQ(Image::fromData(gif, 2).value()->byteCount(), 8u * 8 * 4); // a still image keeps one frame
    // Frames may lie partly or wholly off the canvas; only the canvas is drawn and cleared.
    GifFrameSpec outside = solidGifFrame(20, 2, 4, 4, 1);
    outside.disposal = DISPOSE_BACKGROUND;
    GifFrameSpec straddling = solidGifFrame(6, 6, 4, 4, 2);
    straddling.disposal = DISPOSE_BACKGROUND;
    Bytes wandering = gifBytes(8, 8, palette, {background, outside, straddling, last});
    auto wandered = decodeImageFrames(wandering.data(), wandering.size());
    ASSERT_TRUE(wandered) << wandered.error().description;
    ASSERT_EQ(wandered.value().size(), 4u);
    EXPECT_TRUE(pixelIs(*wandered.value()[1].bitmap, {7, 2}, red, 0));
    EXPECT_TRUE(pixelIs(*wandered.value()[2].bitmap, {7, 7}, green, 0));
    EXPECT_TRUE(pixelIs(*wandered.value()[3].bitmap, {7, 7}, Color{0, 0, 0, 0}, 0));
    EXPECT_TRUE(pixelIs(*wandered.value()[3].bitmap, {5, 5}, red, 0));

    // A cut animation keeps its complete frames.
    auto cut = decodeImageFrames(gif.data(), gif.size() - 12);
    ASSERT_TRUE(cut);
    EXPECT_GE(cut.value().size(), 3u);
}

TEST(ImageScale, FileNamesGiveScaleAndNamedPrefersTheScreensVariant)
{
    TempDir dir;
    dir.write("icon.png", pngBytes(*splitBitmap(10, 10, red, red)));
    dir.write("icon@2x.png", pngBytes(*splitBitmap(20, 20, blue, blue)));
    dir.write("only@2x.png", pngBytes(*splitBitmap(20, 10, green, green)));
    dir.write("photo.jpg", jpegBytes(*splitBitmap(30, 20, red, red)));
    dir.write("broken.png", {'n', 'o', 'p', 'e'});
    Bundle bundle(dir.path);
    struct Row {
        std::string name;
        double screenScale;
        double scale;
        Size points;
        Color colour;
    } rows[] = {
        {"icon", 2, 2, {10, 10}, blue},     {"icon.png", 2, 2, {10, 10}, blue},  {"icon", 1, 1, {10, 10}, red},
        {"icon@2x.png", 1, 1, {10, 10}, red}, {"only", 1, 2, {10, 5}, green},  {"photo.jpg", 2, 1, {30, 20}, red},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto image = Image::named(row.name, bundle, row.screenScale);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->scale(), row.scale);
        EXPECT_EQ(image->size(), row.points);
        EXPECT_TRUE(pixelIs(*image->bitmap(), {1, 1}, row.colour, 10));
    }
    EXPECT_FALSE(Image::named("missing", bundle, 2));
    EXPECT_FALSE(Image::named("broken.png", bundle, 2));
    EXPECT_FALSE(Image::named("", bundle, 2));
}

TEST(ImageScale, ScalingDrawsIntoANewBitmapOfTheGivenSize)
{
    auto image = Image::create(splitBitmap(40, 20, red, blue));
    auto scaled = image->scaledToSize({16, 8}, 2);
    ASSERT_TRUE(scaled) << scaled.error().description;
    EXPECT_EQ(scaled.value()->pixelWidth(), 32);
    EXPECT_TRUE(pixelIs(*scaled.value()->bitmap(), {1, 4}, red, 2));
    EXPECT_TRUE(pixelIs(*scaled.value()->bitmap(), {15, 4}, blue, 2));
    EXPECT_TRUE(pixelIs(*scaled.value()->bitmap(), {15.9, 7.9}, blue, 2)); // no faded border
    EXPECT_FALSE(image->scaledToSize({0, 8}));
    EXPECT_FALSE(image->scaledToSize({100000, 100000}));
}

TEST(ImageJpeg, EncodingRoundTripsAndQualityTradesSize)
{
    auto image = Image::create(splitBitmap(64, 64, red, Color{0, 0, 0, 0}));
    auto best = image->jpegRepresentation(1.0);
    ASSERT_TRUE(best);
    EXPECT_LT(image->jpegRepresentation(0.1).value().size(), best.value().size());
    auto back = Image::fromData(best.value());
    ASSERT_TRUE(back);
    EXPECT_TRUE(pixelIs(*back.value()->bitmap(), {8, 32}, red, 12));
    EXPECT_TRUE(pixelIs(*back.value()->bitmap(), {56, 32}, Color{0, 0, 0, 1}, 12)); // transparency becomes black
    // Out-of-range qualities are clamped, not refused.
    EXPECT_TRUE(image->jpegRepresentation(-3));
    EXPECT_TRUE(image->jpegRepresentation(7));
}
