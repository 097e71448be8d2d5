// The image service's hits against decoding the same 640 x 640 JPEG with the
// raw library: a memory-cache hit (the whole handle() call), a file-cache
// hit (read, decode, deliver) and libjpeg-turbo reading the file into RGB
// rows on its own.
#include "framework/core/IKRImageTask.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRImageCrashRegistration.h"
#include "framework/core/KRImageService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <jpeglib.h>
#include <vector>

namespace {

class BenchImageView final : public KRTask, public IKRImageTask {
public:
    using IKRImageTask::setImage;
    void setImage(const pf::ImageRef& picture, bool) override { image = picture; }
    void setDefaultImage(const pf::ImageRef&) override {}
    bool isLoaded() const override { return false; }
    void setLoaded(bool) override {}
    std::optional<std::string> defaultSrc() const override { return std::nullopt; }
    void setDefaultSrc(std::optional<std::string>) override {}
    std::optional<std::string> src() const override { return m_src; }
    void setSrc(std::optional<std::string> src) override { m_src = std::move(src); }
    bool isLoading() const override { return false; }
    void setLoading(bool) override {}
    pf::ImageRef image;

private:
    std::optional<std::string> m_src;
};

const std::string kUrl = "http://127.0.0.1/bench/photo-640.jpg";

// A photo-like picture: smooth gradients with some grain.
const std::string& photoPath()
{
    static const std::string path = [] {
        std::vector<std::uint8_t> rgba(640 * 640 * 4);
        std::uint32_t seed = 7;
        for (int y = 0; y < 640; ++y) {
            for (int x = 0; x < 640; ++x) {
                seed = seed * 1664525 + 1013904223;
                int grain = int(seed >> 28) - 8;
                std::uint8_t* p = &rgba[(std::size_t(y) * 640 + x) * 4];
                p[0] = std::uint8_t(std::clamp(x * 255 / 640 + grain, 0, 255));
                p[1] = std::uint8_t(std::clamp(y * 255 / 640 + grain, 0, 255));
                p[2] = std::uint8_t(std::clamp((x + y) * 255 / 1280 + grain, 0, 255));
                p[3] = 255;
            }
        }
        auto bitmap = pf::Bitmap::fromRgba(640, 640, rgba.data(), 640 * 4).value();
        auto bytes = pf::encodeJpeg(*bitmap, 0.8).value();
        std::string file = KRHttpTask::localResourcePathForURL(kUrl);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    std::streamsize(bytes.size()));
        return file;
    }();
    return path;
}

std::shared_ptr<KRImageService> makeService()
{
    registerImageAndCrashClasses();
    photoPath();
    auto service = std::make_shared<KRImageService>();
    service->setConfig(pf::Dictionary::create());
    return service;
}

void BM_ImageService_MemoryHit(benchmark::State& state)
{
    auto service = makeService();
    auto view = std::make_shared<BenchImageView>();
    view->setSrc(kUrl);
    service->handle(proto::IKRImageTask(), view, 0); // fills the memory cache from the file
    for (auto _ : state) {
        service->handle(proto::IKRImageTask(), view, 0);
        benchmark::DoNotOptimize(view->image);
    }
    if (!view->image)
        state.SkipWithError("no picture");
}

void BM_ImageService_FileHit(benchmark::State& state)
{
    auto service = makeService();
    service->setMemoryCacheLimits(0, 0); // every request reads the cache file
    auto view = std::make_shared<BenchImageView>();
    view->setSrc(kUrl);
    for (auto _ : state) {
        service->handle(proto::IKRImageTask(), view, 0);
        benchmark::DoNotOptimize(view->image);
        view->image.reset();
    }
}

void BM_RawJpeg_Decode(benchmark::State& state)
{
    const std::string& path = photoPath();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("no file");
            break;
        }
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, file);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGRA; // the drawing surface's format, as the service decodes
        jpeg_start_decompress(&cinfo);
        std::size_t stride = std::size_t(cinfo.output_width) * cinfo.output_components;
        std::vector<unsigned char> pixels(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
}

}

BENCHMARK(BM_ImageService_MemoryHit);
BENCHMARK(BM_ImageService_FileHit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawJpeg_Decode)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(photoPath().c_str());
    return 0;
}
