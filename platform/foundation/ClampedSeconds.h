#pragma once

// Lifetimes other applications and servers hand us ("expires_in") are kept
// in a signed 32-bit count of seconds on the other side; whatever number
// arrives is clamped to it here, so a huge or odd value can neither overflow
// a date nor turn into a lifetime in the past. Any thread.

namespace pf {

inline constexpr double kMaxClampedSeconds = 2147483647.0;
inline constexpr double kMinClampedSeconds = -2147483648.0;

// Whether a negative count stays (down to kMinClampedSeconds) or reads 0.
enum class NegativeSeconds { Zero, Kept };

// Not a number reads 0; infinities go to the bounds. Fractions stay.
double clampedSeconds(double seconds, NegativeSeconds negative = NegativeSeconds::Zero);

}
