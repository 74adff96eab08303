#include "pulpit/PreachZoom.h"

#include <array>

namespace PreachZoom {

namespace {
constexpr std::array<int, 15> Steps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 350, 400};
static_assert(Steps.front() == Smallest && Steps.back() == Largest);
} // namespace

int step(int percent, int direction)
{
    if (direction > 0) {
        for (int s : Steps)
            if (s > percent)
                return s;
        return Largest;
    }
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
        if (*it < percent)
            return *it;
    return Smallest;
}

} // namespace PreachZoom
