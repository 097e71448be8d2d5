#include "platform/graphics/Image.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cairo.h>

#include <cmath>
#include <filesystem>

namespace pf {

Image::Image(BitmapRef bitmap, std::vector<ImageFrame> frames)
    : m_bitmap(std::move(bitmap))
    , m_frames(std::move(frames))
{
}

ImageRef Image::create(BitmapRef bitmap, std::vector<ImageFrame> frames)
{
    if (!bitmap)
        return nullptr;
    if (frames.size() < 2)
        frames.clear();
    return ImageRef(new Image(std::move(bitmap), std::move(frames)));
}

ErrorOr<ImageRef> Image::fromData(const std::uint8_t* bytes, std::size_t length, double scale, ImageFrames which)
{
    auto frames = decodeImageFrames(bytes, length, scale, which == ImageFrames::All ? maxDecodedFrames : 1);
    if (!frames)
        return frames.error();
    BitmapRef first = frames.value().front().bitmap;
    return create(std::move(first), std::move(frames.value()));
}

ErrorOr<ImageRef> Image::fromData(const Bytes& bytes, double scale, ImageFrames which)
{
    return fromData(bytes.data(), bytes.size(), scale, which);
}

double Image::scaleForPath(const std::string& path)
{
    std::string stem = std::filesystem::path(path).stem().string();
    if (stem.ends_with("@2x"))
        return 2;
    if (stem.ends_with("@3x"))
        return 3;
    return 1;
}

ErrorOr<ImageRef> Image::contentsOfFile(const std::string& path, ImageFrames which)
{
    auto bytes = readFile(path);
    if (!bytes)
        return Error{imageCodecErrorDomain, 0, "cannot read " + path};
    return fromData(*bytes, scaleForPath(path), which);
}

ImageRef Image::named(const std::string& name, const Bundle& bundle, double screenScale)
{
    if (name.empty())
        return nullptr;
    std::filesystem::path given(name);
    std::string type = given.has_extension() ? given.extension().string().substr(1) : "png";
    std::string base = given.has_extension() ? (given.parent_path() / given.stem()).string() : name;
    if (base.ends_with("@2x") || base.ends_with("@3x"))
        base.resize(base.size() - 3);
    std::string candidates[2] = {base + "@2x", base};
    if (screenScale < 2)
        std::swap(candidates[0], candidates[1]);
    for (const auto& candidate : candidates) {
        auto path = bundle.pathForResource(candidate, type);
        if (!path)
            continue;
        auto image = contentsOfFile(*path);
        if (image)
            return image.value();
        log("Image %s does not decode: %s", path->c_str(), image.error().description.c_str());
        return nullptr;
    }
    return nullptr;
}

ImageRef Image::named(const std::string& name)
{
    return named(name, *Bundle::main(), DeviceProfile::current().scale);
}

double Image::scale() const
{
    return m_bitmap->scale();
}

Size Image::size() const
{
    return m_bitmap->size();
}

int Image::pixelWidth() const
{
    return m_bitmap->pixelWidth();
}

int Image::pixelHeight() const
{
    return m_bitmap->pixelHeight();
}

std::size_t Image::byteCount() const
{
    auto bytesOf = [](const Bitmap& b) { return std::size_t(b.pixelWidth()) * std::size_t(b.pixelHeight()) * 4; };
    if (m_frames.empty())
        return bytesOf(*m_bitmap);
    std::size_t total = 0;
    for (const auto& frame : m_frames)
        total += bytesOf(*frame.bitmap);
    return total;
}

ErrorOr<ImageRef> Image::scaledToSize(Size points, double scale) const
{
    if (!(points.width > 0 && points.height > 0 && scale > 0) || !std::isfinite(points.width * points.height * scale))
        return Error{imageCodecErrorDomain, 0, "scaling needs a positive size"};
    double pixelWidth = std::round(points.width * scale), pixelHeight = std::round(points.height * scale);
    if (pixelWidth < 1 || pixelHeight < 1 || pixelWidth * pixelHeight > double(maxDecodedPixels))
        return Error{imageCodecErrorDomain, static_cast<long long>(ImageCodecError::TooLarge),
                     "scaled size out of range"};
    auto target = Bitmap::create(int(pixelWidth), int(pixelHeight), scale);
    if (!target)
        return target.error();
    cairo_t* cr = cairo_create(target.value()->surface());
    cairo_scale(cr, pixelWidth / m_bitmap->pixelWidth(), pixelHeight / m_bitmap->pixelHeight());
    cairo_set_source_surface(cr, m_bitmap->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    // Edge pixels repeat outwards so that the border does not fade.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        return Error{"pf::Bitmap", status, std::string("scaling: ") + cairo_status_to_string(status)};
    cairo_surface_flush(target.value()->surface());
    return create(target.value());
}

ErrorOr<Bytes> Image::jpegRepresentation(double quality) const
{
    return encodeJpeg(*m_bitmap, quality);
}

}

namespace pf {

ImageRef Image::stretchableImage(int leftCapWidth, int topCapHeight) const
{
    Size points = size();
    // The one-point middle that stretches; a cap of 0 (or less) stretches the whole axis.
    auto caps = [](int cap, double extent, double& first, double& second) {
        if (cap <= 0 || extent < 1) {
            first = second = 0;
            return;
        }
        first = std::min<double>(cap, extent - 1);
        second = std::max(extent - first - 1, 0.0);
    };
    auto image = ImageRef(new Image(m_bitmap, m_frames));
    caps(leftCapWidth, points.width, image->m_capInsets.left, image->m_capInsets.right);
    caps(topCapHeight, points.height, image->m_capInsets.top, image->m_capInsets.bottom);
    return image;
}

}
