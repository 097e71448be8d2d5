// GIF through giflib, read record by record (not slurped), so that every
// frame's size is checked before its pixels are decoded and a damaged or
// truncated animation keeps the frames that were complete.

#include "platform/foundation/Log.h"
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

// The canvas as premultiplied ARGB words in a bitmap, which the last frame
// takes over without a copy; transparent is 0.
class Canvas {
public:
    static ErrorOr<std::unique_ptr<Canvas>> create(int width, int height, double scale)
    {
        auto bitmap = Bitmap::create(width, height, scale);
        if (!bitmap)
            return bitmap.error();
        return std::unique_ptr<Canvas>(new Canvas(bitmap.value()));
    }
    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint64_t bytes() const { return std::uint64_t(m_stride) * std::uint64_t(m_height); }
    std::uint32_t* row(int y) { return reinterpret_cast<std::uint32_t*>(m_data + std::size_t(y) * m_stride); }
    void clear(int left, int top, int width, int height)
    {
        Rect r = clip(left, top, width, height);
        for (int y = r.y0; y < r.y1; ++y)
            std::fill(row(y) + r.x0, row(y) + r.x1, 0u);
    }
    // Keeps what a frame at this place will cover, to put it back later.
    std::vector<std::uint32_t> save(int left, int top, int width, int height)
    {
        Rect r = clip(left, top, width, height);
        std::vector<std::uint32_t> saved;
        saved.reserve(std::size_t(r.x1 - r.x0) * std::size_t(r.y1 - r.y0));
        for (int y = r.y0; y < r.y1; ++y)
            saved.insert(saved.end(), row(y) + r.x0, row(y) + r.x1);
        return saved;
    }
    void restore(int left, int top, int width, int height, const std::vector<std::uint32_t>& saved)
    {
        Rect r = clip(left, top, width, height);
        auto from = saved.begin();
        for (int y = r.y0; y < r.y1; ++y, from += r.x1 - r.x0)
            std::copy(from, from + (r.x1 - r.x0), row(y) + r.x0);
    }
    static std::uint64_t savedBytes(const Canvas& canvas, int left, int top, int width, int height)
    {
        Rect r = canvas.clip(left, top, width, height);
        return std::uint64_t(r.x1 - r.x0) * std::uint64_t(r.y1 - r.y0) * 4;
    }

    ErrorOr<BitmapRef> snapshot(double scale) const
    {
        auto created = Bitmap::create(m_width, m_height, scale);
        if (!created)
            return created;
        cairo_surface_t* surface = created.value()->surface();
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        std::memcpy(data, m_data, std::size_t(bytes())); // same size, same stride
        cairo_surface_mark_dirty(surface);
        return created;
    }
    BitmapRef takeOver()
    {
        cairo_surface_mark_dirty(m_bitmap->surface());
        return std::move(m_bitmap);
    }

private:
    struct Rect {
        int x0, y0, x1, y1;
    };
    explicit Canvas(BitmapRef bitmap) : m_bitmap(std::move(bitmap))
    {
        cairo_surface_t* surface = m_bitmap->surface();
        cairo_surface_flush(surface);
        m_data = cairo_image_surface_get_data(surface);
        m_stride = cairo_image_surface_get_stride(surface);
        m_width = cairo_image_surface_get_width(surface);
        m_height = cairo_image_surface_get_height(surface);
    }
    Rect clip(int left, int top, int width, int height) const
    {
        Rect r{std::max(0, left), std::max(0, top), std::min(m_width, left + width), std::min(m_height, top + height)};
        if (r.x0 >= r.x1 || r.y0 >= r.y1)
            return Rect{0, 0, 0, 0}; // the frame lies off the canvas
        return r;
    }
    BitmapRef m_bitmap;
    unsigned char* m_data = nullptr;
    int m_stride = 0;
    int m_width = 0;
    int m_height = 0;
};

// Reads on past extensions: whether another frame follows.
bool anotherFrameFollows(GifFileType* gif)
{
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR || type != EXTENSION_RECORD_TYPE)
            return type == IMAGE_DESC_RECORD_TYPE;
        int code = 0;
        GifByteType* extension = nullptr;
        if (DGifGetExtension(gif, &code, &extension) == GIF_ERROR)
            return false;
        while (extension)
            if (DGifGetExtensionNext(gif, &extension) == GIF_ERROR)
                return false;
    }
}

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
    std::uint64_t memory = 0; // bytes held by the canvas and the frames
    bool dropping = false;    // a budget ended the animation early
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
            auto created = Canvas::create(width, height, scale);
            if (!created) {
                failure = created.error();
                break;
            }
            canvas = std::move(created.value());
            memory = canvas->bytes();
        }
        std::uint64_t cost = std::max(std::uint64_t(canvas->width()) * std::uint64_t(canvas->height()),
                                      std::uint64_t(desc.Width) * std::uint64_t(desc.Height));
        if (cost > budget) {
            failure = error(ImageCodecError::TooLarge, "GIF: too many frames");
            log("GIF: frames after the first %zu dropped: their pixels together exceed the limit", frames.size());
            break;
        }
        budget -= cost;

        // The last frame takes the canvas over; the others are copies of it,
        // and restoring needs what the frame covers only while frames follow.
        bool last = frames.size() + 1 >= maxFrames;
        bool restore = !last && control.DisposalMode == DISPOSE_PREVIOUS;
        std::uint64_t saved =
            restore ? Canvas::savedBytes(*canvas, desc.Left, desc.Top, desc.Width, desc.Height) : 0;
        if (!last && memory + canvas->bytes() + saved > decodeMemoryBudget) {
            last = dropping = true;
            restore = false;
        }
        std::vector<std::uint32_t> previous;
        if (restore)
            previous = canvas->save(desc.Left, desc.Top, desc.Width, desc.Height);
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
        if (last || truncated) {
            // A damaged frame shows what arrived and ends the animation.
            frames.push_back({canvas->takeOver(), control.DelayTime / 100.0});
            if (dropping && !truncated && anotherFrameFollows(gif.get()))
                log("GIF: frames after the first %zu dropped: the animation needs more memory than a picture may take",
                    frames.size());
            else if (!truncated && maxFrames == maxDecodedFrames && anotherFrameFollows(gif.get()))
                log("GIF: frames after the first %zu dropped", frames.size());
            canvas.reset();
            break;
        }
        auto bitmap = canvas->snapshot(scale);
        if (!bitmap) {
            failure = bitmap.error();
            break;
        }
        memory += canvas->bytes();
        frames.push_back({bitmap.value(), control.DelayTime / 100.0});

        if (control.DisposalMode == DISPOSE_BACKGROUND)
            canvas->clear(desc.Left, desc.Top, desc.Width, desc.Height);
        else if (restore)
            canvas->restore(desc.Left, desc.Top, desc.Width, desc.Height, previous);
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (frames.empty())
        return failure.value_or(error(ImageCodecError::Corrupt, "GIF: no frames"));
    return frames;
}

}
