#pragma once

// A decoded picture: a bitmap with its scale (pixels per point) and, for an
// animated GIF, all of its frames with their delays. Immutable once made, so
// one picture is shared by every view that shows it; any thread may read it.
//
// Scale comes from the file name: "name@2x.png" holds two pixels per point,
// so a 200 x 100 pixel file is 100 x 50 points. named() looks a picture up in
// a bundle the way screens name them: "icon" or "icon.png" finds
// "icon@2x.png" first on a screen of scale 2 or more, else "icon.png" first.

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/ImageCodec.h"

#include <string>
#include <vector>

namespace pf {

// Whether decoding keeps an animation's frames or only its first picture,
// as still-picture views need.
enum class ImageFrames { First, All };

class Image final : public Object {
public:
    // The first frame is shown; `frames` may be empty for a still picture.
    static ImageRef create(BitmapRef bitmap, std::vector<ImageFrame> frames = {});
    // PNG, JPEG or GIF bytes.
    static ErrorOr<ImageRef> fromData(const std::uint8_t* bytes, std::size_t length, double scale = 1,
                                      ImageFrames frames = ImageFrames::First);
    static ErrorOr<ImageRef> fromData(const Bytes& bytes, double scale = 1, ImageFrames frames = ImageFrames::First);
    // The scale is read from an "@2x" or "@3x" before the extension.
    static ErrorOr<ImageRef> contentsOfFile(const std::string& path, ImageFrames frames = ImageFrames::First);
    // Null when the bundle has no such picture or it does not decode (logged).
    static ImageRef named(const std::string& name, const Bundle& bundle, double screenScale);
    // From the main bundle for the current device's screen.
    static ImageRef named(const std::string& name);

    // "@2x" gives 2, "@3x" 3; anything else 1.
    static double scaleForPath(const std::string& path);

    const BitmapRef& bitmap() const { return m_bitmap; }
    double scale() const;
    Size size() const;
    int pixelWidth() const;
    int pixelHeight() const;
    // Two or more frames for an animation; empty for a still picture.
    const std::vector<ImageFrame>& frames() const { return m_frames; }
    bool isAnimated() const { return m_frames.size() > 1; }
    // The memory the decoded pixels take, all frames included.
    std::size_t byteCount() const;

    // The picture drawn into a new bitmap of `points` at `scale`, stretched
    // to fill it (the first frame only).
    ErrorOr<ImageRef> scaledToSize(Size points, double scale = 1) const;
    // The same picture stretching between caps: `leftCapWidth` points on the
    // left and `topCapHeight` on top keep their size, as does all but one
    // point of the rest; a cap of 0 stretches that axis whole.
    ImageRef stretchableImage(int leftCapWidth, int topCapHeight) const;
    // Caps in points that drawing keeps unstretched; zero for a plain picture.
    const EdgeInsets& capInsets() const { return m_capInsets; }

    // JPEG bytes of the first frame at `quality` from 0 to 1.
    ErrorOr<Bytes> jpegRepresentation(double quality) const;

private:
    Image(BitmapRef bitmap, std::vector<ImageFrame> frames);
    BitmapRef m_bitmap;
    std::vector<ImageFrame> m_frames;
    EdgeInsets m_capInsets;
};

}
