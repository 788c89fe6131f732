// An integer rectangle in pixels of the target bitmap.
#pragma once

#include <cstdint>

struct PixelRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
