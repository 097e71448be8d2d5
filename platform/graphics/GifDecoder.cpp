// GIF through giflib, read record by record (not slurped), so that every
// frame's size is checked before its pixels are decoded and a damaged or
// truncated animation keeps the frames that were complete.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodecInternal.h"

#include <cairo.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace pf::codec {

namespace {

struct MemoryReader {
    const std::uint8_t* bytes;
    std::size_t length;
    std::size_t offset;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int wanted)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0)
        return 0;
    std::size_t count = std::min(std::size_t(wanted), reader->length - reader->offset);
    std::memcpy(buffer, reader->bytes + reader->offset, count);
    reader->offset += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

std::string gifMessage(int code)
{
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text ? text : "unreadable data");
}

// The canvas as premultiplied ARGB words; transparent is 0.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_pixels(std::size_t(width) * height, 0) {}
    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint32_t* row(int y) { return m_pixels.data() + std::size_t(y) * m_width; }
    void clear(int left, int top, int width, int height)
    {
        int x0 = std::max(0, left), y0 = std::max(0, top);
        int x1 = std::min(m_width, left + width), y1 = std::min(m_height, top + height);
        if (x0 >= x1 || y0 >= y1)
            return; // the frame lies off the canvas
        for (int y = y0; y < y1; ++y)
            std::fill(row(y) + x0, row(y) + x1, 0u);
    }
    std::vector<std::uint32_t>& pixels() { return m_pixels; }

    ErrorOr<BitmapRef> snapshot(double scale) const
    {
        auto created = Bitmap::create(m_width, m_height, scale);
        if (!created)
            return created;
        cairo_surface_t* surface = created.value()->surface();
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < m_height; ++y)
            std::memcpy(data + std::size_t(y) * stride, m_pixels.data() + std::size_t(y) * m_width,
                        std::size_t(m_width) * 4);
        cairo_surface_mark_dirty(surface);
        return created;
    }

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels;
};

// The rows of a frame in the order the file stores them.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(std::size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass])
            order.push_back(y);
    }
    return order;
}

}

ErrorOr<std::vector<ImageFrame>> decodeGif(const std::uint8_t* bytes, std::size_t length, double scale,
                                           std::size_t maxFrames)
{
    MemoryReader reader{bytes, length, 0};
    int openError = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readFromMemory, &openError));
    if (!gif)
        return error(ImageCodecError::Corrupt, gifMessage(openError));
    int screenWidth = gif->SWidth, screenHeight = gif->SHeight;
    bool screenGiven = screenWidth > 0 || screenHeight > 0;
    if (screenGiven && !fitsPixelLimit(std::uint64_t(screenWidth), std::uint64_t(screenHeight)))
        return tooLarge(std::uint64_t(std::max(screenWidth, 0)), std::uint64_t(std::max(screenHeight, 0)));

    std::vector<ImageFrame> frames;
    std::unique_ptr<Canvas> canvas;
    std::uint64_t budget = maxDecodedPixels;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    std::optional<Error> failure;
    bool done = false;

    while (!done && frames.size() < maxFrames) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            failure = error(ImageCodecError::Corrupt, gifMessage(gif->Error));
            break;
        }
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR) {
                failure = error(ImageCodecError::Corrupt, gifMessage(gif->Error));
                break;
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] == 4)
                DGifExtensionToGCB(extension[0], extension + 1, &control);
            while (extension) {
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR) {
                    failure = error(ImageCodecError::Corrupt, gifMessage(gif->Error));
                    done = true;
                    break;
                }
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            failure = error(ImageCodecError::Corrupt, "GIF: unknown record");
            break;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            failure = error(ImageCodecError::Corrupt, gifMessage(gif->Error));
            break;
        }
        const GifImageDesc desc = gif->Image;
        if (!fitsPixelLimit(std::uint64_t(std::max(desc.Width, 0)), std::uint64_t(std::max(desc.Height, 0)))) {
            bool empty = desc.Width <= 0 || desc.Height <= 0;
            failure = empty ? error(ImageCodecError::Corrupt, "GIF: empty frame")
                            : tooLarge(std::uint64_t(desc.Width), std::uint64_t(desc.Height));
            break;
        }
        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!colors) {
            failure = error(ImageCodecError::Unsupported, "GIF: frame without a colour table");
            break;
        }
        if (!canvas) {
            // A screen of no size takes the first frame's extent.
            int width = screenWidth > 0 ? screenWidth : desc.Left + desc.Width;
            int height = screenHeight > 0 ? screenHeight : desc.Top + desc.Height;
            if (!fitsPixelLimit(std::uint64_t(std::max(width, 0)), std::uint64_t(std::max(height, 0)))) {
                failure = tooLarge(std::uint64_t(std::max(width, 0)), std::uint64_t(std::max(height, 0)));
                break;
            }
            canvas = std::make_unique<Canvas>(width, height);
        }
        std::uint64_t cost = std::max(std::uint64_t(canvas->width()) * std::uint64_t(canvas->height()),
                                      std::uint64_t(desc.Width) * std::uint64_t(desc.Height));
        if (cost > budget) {
            failure = error(ImageCodecError::TooLarge, "GIF: too many frames");
            break;
        }
        budget -= cost;

        std::vector<std::uint32_t> previous;
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            previous = canvas->pixels();
        std::uint32_t palette[256];
        int colorCount = std::clamp(colors->ColorCount, 0, 256);
        for (int i = 0; i < 256; ++i) {
            if (i >= colorCount || i == control.TransparentColor) {
                palette[i] = 0;
                continue;
            }
            const GifColorType& c = colors->Colors[i];
            palette[i] = 0xffu << 24 | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
        }

        std::vector<GifByteType> line(std::size_t(desc.Width));
        bool truncated = false;
        for (int y : rowOrder(desc.Height, desc.Interlace)) {
            if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) {
                truncated = true;
                break;
            }
            int canvasY = desc.Top + y;
            if (canvasY < 0 || canvasY >= canvas->height())
                continue;
            std::uint32_t* row = canvas->row(canvasY);
            for (int x = 0; x < desc.Width; ++x) {
                int canvasX = desc.Left + x;
                if (canvasX >= canvas->width())
                    break;
                // Transparent and out-of-table indexes leave the canvas as it is.
                if (std::uint32_t colour = palette[line[std::size_t(x)]])
                    row[canvasX] = colour;
            }
        }
        auto bitmap = canvas->snapshot(scale);
        if (!bitmap) {
            failure = bitmap.error();
            break;
        }
        frames.push_back({bitmap.value(), control.DelayTime / 100.0});
        if (truncated)
            break; // a damaged frame shows what arrived and ends the animation

        if (control.DisposalMode == DISPOSE_BACKGROUND)
            canvas->clear(desc.Left, desc.Top, desc.Width, desc.Height);
        else if (control.DisposalMode == DISPOSE_PREVIOUS)
            canvas->pixels() = std::move(previous);
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (frames.empty())
        return failure.value_or(error(ImageCodecError::Corrupt, "GIF: no frames"));
    return frames;
}

}
