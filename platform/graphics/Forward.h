#pragma once

#include <memory>

namespace pf {

struct AffineTransform;
struct Color;
struct EdgeInsets;
struct Point;
struct Rect;
struct Size;
struct ImageFrame;
struct TextStyle;
class Bitmap;
class Font;
class GraphicsContext;
class Image;
class Path;
class TextMeasurer;

using BitmapRef = std::shared_ptr<Bitmap>;
using ImageRef = std::shared_ptr<Image>;

}
