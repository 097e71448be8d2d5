#pragma once

// Small pictures made on the spot for image tests: solid or split bitmaps
// encoded as PNG (by the drawing library), JPEG (by our encoder) and GIF (by
// giflib's encoder), so that no binary files need to live in the tree.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"

#include <cairo.h>
#include <gif_lib.h>
#include <jpeglib.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pf::test {

// A white canvas of `width` x `height` points and a context that draws on it.
struct Canvas {
    BitmapRef bitmap;
    std::unique_ptr<GraphicsContext> context;

    explicit Canvas(double width = 100, double height = 100, double scale = 2)
        : bitmap(Bitmap::create(int(width * scale), int(height * scale), scale).value())
    {
        bitmap->fill(Color::whiteColor());
        context = std::move(GraphicsContext::create(*bitmap).value());
    }
};

// Left half `left`, right half `right` (straight-alpha colours).
inline BitmapRef splitBitmap(int width, int height, Color left, Color right)
{
    auto bitmap = Bitmap::create(width, height).value();
    cairo_t* cr = cairo_create(bitmap->surface());
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, left.red, left.green, left.blue, left.alpha);
    cairo_rectangle(cr, 0, 0, width / 2.0, height);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, right.red, right.green, right.blue, right.alpha);
    cairo_rectangle(cr, width / 2.0, 0, width / 2.0, height);
    cairo_fill(cr);
    cairo_destroy(cr);
    return bitmap;
}

inline Bytes pngBytes(const Bitmap& bitmap)
{
    Bytes out;
    auto write = [](void* closure, const unsigned char* data, unsigned int length) {
        auto* bytes = static_cast<Bytes*>(closure);
        bytes->insert(bytes->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_flush(bitmap.surface());
    if (cairo_surface_write_to_png_stream(bitmap.surface(), write, &out) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write PNG");
    return out;
}

inline Bytes jpegBytes(const Bitmap& bitmap, double quality = 0.9)
{
    auto bytes = encodeJpeg(bitmap, quality);
    if (!bytes)
        throw std::runtime_error(bytes.error().description);
    return bytes.value();
}

// A CMYK JPEG with an Adobe marker (as print tools write them: 255 is no
// ink), left half `left`, right half `right`, four bytes each.
inline Bytes cmykJpegBytes(int width, int height, const std::uint8_t left[4], const std::uint8_t right[4])
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors); // exits on failure: fine for a test helper with fixed input
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &output, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(width) * 4);
    for (int x = 0; x < width; ++x)
        std::memcpy(&row[std::size_t(x) * 4], x < width / 2 ? left : right, 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(output, output + size);
    std::free(output);
    return bytes;
}

// One GIF frame: a rectangle of palette indexes over the canvas.
struct GifFrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indexes; // width * height
    int delayCentiseconds = 0;
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

// A GIF with a global palette of up to 256 RGB colours.
inline Bytes gifBytes(int width, int height, const std::vector<std::uint32_t>& paletteRgb,
                      const std::vector<GifFrameSpec>& frames)
{
    Bytes out;
    auto write = [](GifFileType* gif, const GifByteType* data, int length) {
        auto* bytes = static_cast<Bytes*>(gif->UserData);
        bytes->insert(bytes->end(), data, data + length);
        return length;
    };
    int error = 0;
    GifFileType* gif = EGifOpen(&out, write, &error);
    if (!gif)
        throw std::runtime_error("EGifOpen");
    int size = 2;
    while (size < int(paletteRgb.size()))
        size *= 2;
    std::vector<GifColorType> colors(std::size_t(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < paletteRgb.size(); ++i)
        colors[i] = {GifByteType(paletteRgb[i] >> 16), GifByteType(paletteRgb[i] >> 8), GifByteType(paletteRgb[i])};
    ColorMapObject* map = GifMakeMapObject(size, colors.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) != GIF_ERROR;
    for (const auto& frame : frames) {
        GraphicsControlBlock gcb{frame.disposal, false, frame.delayCentiseconds, frame.transparentIndex};
        GifByteType extension[4];
        EGifGCBToExtension(&gcb, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_ERROR;
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, nullptr) != GIF_ERROR;
        for (int y = 0; ok && y < frame.height; ++y) {
            std::vector<GifPixelType> line(frame.indexes.begin() + std::ptrdiff_t(y) * frame.width,
                                           frame.indexes.begin() + std::ptrdiff_t(y + 1) * frame.width);
            ok = EGifPutLine(gif, line.data(), frame.width) != GIF_ERROR;
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    if (!ok)
        throw std::runtime_error("cannot write GIF");
    return out;
}

inline GifFrameSpec solidGifFrame(int left, int top, int width, int height, std::uint8_t index)
{
    GifFrameSpec frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indexes.assign(std::size_t(width) * height, index);
    return frame;
}

}
