#pragma once

#include <memory>

namespace pf {

struct AffineTransform;
struct Color;
struct EdgeInsets;
struct Point;
struct Rect;
struct Size;
struct TextStyle;
class Bitmap;
class Font;
class GraphicsContext;
class Path;
class TextMeasurer;

using BitmapRef = std::shared_ptr<Bitmap>;

}
