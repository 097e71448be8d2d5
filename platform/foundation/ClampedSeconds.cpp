#include "platform/foundation/ClampedSeconds.h"

#include <algorithm>
#include <cmath>

namespace pf {

double clampedSeconds(double seconds, NegativeSeconds negative)
{
    if (std::isnan(seconds))
        return 0;
    return std::clamp(seconds, negative == NegativeSeconds::Kept ? kMinClampedSeconds : 0.0, kMaxClampedSeconds);
}

}
