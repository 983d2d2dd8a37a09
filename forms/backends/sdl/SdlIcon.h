#pragma once
// The window icon from an .ico file's bytes. Needs no display.
#include <cstdint>
#include <string_view>
#include <vector>

namespace forms::sdl {

// The image of an .ico file closest to size × size: 0xAARRGGBB pixels, top-down.
// Empty when the file holds no image it can read.
struct IconImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;
};
IconImage DecodeIcon(std::string_view ico, int32_t size);

}  // namespace forms::sdl
