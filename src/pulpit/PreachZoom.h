#pragma once

// The preaching view's zoom steps, in percent, as Ctrl+Plus and Ctrl+Minus
// move through them.
namespace PreachZoom {

constexpr int Smallest = 50;
constexpr int Largest = 400;

// The next step up (direction > 0) or down from percent; a value between
// steps goes to the nearest step in that direction. Stays within
// [Smallest, Largest].
int step(int percent, int direction);

} // namespace PreachZoom
