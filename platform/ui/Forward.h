#pragma once

#include "platform/graphics/Forward.h"

#include <memory>
#include <vector>

namespace pf {

class AnimationClock;
class Animator;
class Compositor;
class DisplayLink;
class GestureRecognizer;
class ManualClock;
class PanGestureRecognizer;
class PinchGestureRecognizer;
class Screen;
class TapGestureRecognizer;
class Touch;
class View;
class ViewController;
class Window;

using ViewRef = std::shared_ptr<View>;
using WindowRef = std::shared_ptr<Window>;
using TouchRef = std::shared_ptr<Touch>;
using TouchSet = std::vector<TouchRef>;
using GestureRecognizerRef = std::shared_ptr<GestureRecognizer>;

}
