#pragma once

// Declared properties of colours, fonts, geometry and pictures. Include it
// after ClassBuilder.h in registration sources whose classes have such
// properties; the values travel as pf::Boxed objects and pf::Image objects.
// A nil value sets the type's empty value (no colour, a zero rect…).

#include "platform/foundation/Boxed.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

namespace pf::detail {

template <class T, PropertyType Kind>
struct BoxedTraits {
    static constexpr PropertyType type = Kind;
    static Value to(const T& v) { return Boxed<T>::make(v); }
    static T from(const Value& v) { return Boxed<T>::from(v).value_or(T{}); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || Boxed<T>::from(v).has_value(); }
};

template <> struct PropertyTraits<Color> : BoxedTraits<Color, PropertyType::Color> {};
template <> struct PropertyTraits<Font> : BoxedTraits<Font, PropertyType::Font> {};
template <> struct PropertyTraits<Point> : BoxedTraits<Point, PropertyType::Point> {};
template <> struct PropertyTraits<Size> : BoxedTraits<Size, PropertyType::Size> {};
template <> struct PropertyTraits<Rect> : BoxedTraits<Rect, PropertyType::Rect> {};
template <> struct PropertyTraits<EdgeInsets> : BoxedTraits<EdgeInsets, PropertyType::EdgeInsets> {};

// A colour that may be absent (a view without background): nil is none.
template <> struct PropertyTraits<std::optional<Color>> {
    static constexpr PropertyType type = PropertyType::Color;
    static Value to(const std::optional<Color>& v) { return v ? Boxed<Color>::make(*v) : Value(); }
    static std::optional<Color> from(const Value& v) { return Boxed<Color>::from(v); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || Boxed<Color>::from(v).has_value(); }
};

template <> struct PropertyTraits<ImageRef> {
    static constexpr PropertyType type = PropertyType::Image;
    static Value to(const ImageRef& v) { return v ? Value(ObjectRef(v)) : Value(); }
    static ImageRef from(const Value& v) { return v.objectAs<Image>(); }
    static bool accepts(const Value& v) { return v.isNilOrNull() || v.objectAs<Image>() != nullptr; }
};

}
