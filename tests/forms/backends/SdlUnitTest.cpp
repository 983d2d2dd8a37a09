// The SDL backend's rules that need no display: keys, icons, pixels.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "resources/Resources.h"
#include "forms/backends/sdl/SdlIcon.h"
#include "forms/backends/sdl/SdlKeys.h"
#include "forms/backends/sdl/SdlSurface.h"

using namespace forms;

namespace {

struct KeyCase {
    const char* label;
    int32_t keycode;
    int32_t scancode;
    uint16_t expected;
};

const KeyCase kKeys[] = {
    {"letter", SDLK_a, SDL_SCANCODE_A, 'A'},
    {"last letter", SDLK_z, SDL_SCANCODE_Z, 'Z'},
    {"digit", SDLK_7, SDL_SCANCODE_7, '7'},
    {"zero", SDLK_0, SDL_SCANCODE_0, '0'},
    {"enter", SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
    {"keypad enter", SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {"escape", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {"backspace", SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
    {"tab", SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB},
    {"space", SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
    {"F1", SDLK_F1, SDL_SCANCODE_F1, 0x70},
    {"F4", SDLK_F4, SDL_SCANCODE_F4, VK_F4},
    {"F12", SDLK_F12, SDL_SCANCODE_F12, 0x7B},
    {"F13", SDLK_F13, SDL_SCANCODE_F13, 0x7C},
    {"left", SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
    {"down", SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
    {"home", SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME},
    {"end", SDLK_END, SDL_SCANCODE_END, VK_END},
    {"page up", SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21},
    {"page down", SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22},
    {"insert", SDLK_INSERT, SDL_SCANCODE_INSERT, VK_INSERT},
    {"delete", SDLK_DELETE, SDL_SCANCODE_DELETE, VK_DELETE},
    {"left shift", SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {"right shift", SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {"right control", SDLK_RCTRL, SDL_SCANCODE_RCTRL, VK_CONTROL},
    {"alt gr", SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
    {"keypad 0", SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
    {"keypad 9", SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},
    {"keypad plus", SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0x6B},
    {"comma", SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC},
    {"minus", SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD},
    {"quote", SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0xDE},
    // A Cyrillic layout: the letter on the US "A" key is still VK 'A'.
    {"cyrillic ef", 0x0444, SDL_SCANCODE_A, 'A'},
    // An Italian layout: "è" sits where the US "[" is.
    {"italian e grave", 0x00E8, SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {"102nd key", 0x003C, SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
    {"unknown", 0x40000123, SDL_SCANCODE_UNKNOWN, 0},
};

TEST(SdlKeys, VirtualKeysHaveWindowsValues) {
    for (const KeyCase& k : kKeys) EXPECT_EQ(sdl::VirtualKey(k.keycode, k.scancode), k.expected) << k.label;
}

TEST(SdlKeys, ControlCharactersAsWindowsTypesThem) {
    struct Case {
        const char* label;
        uint16_t key;
        TShiftState shift;
        char32_t expected;
    } cases[] = {
        {"enter", VK_RETURN, 0, U'\r'},
        {"shift enter", VK_RETURN, ssShift, U'\r'},
        {"escape", VK_ESCAPE, 0, U'\x1b'},
        {"backspace", VK_BACK, 0, U'\b'},
        {"tab", VK_TAB, 0, U'\t'},
        {"shift tab", VK_TAB, ssShift, U'\t'},
        {"ctrl a", 'A', ssCtrl, U'\x01'},
        {"ctrl c", 'C', ssCtrl, U'\x03'},
        {"ctrl shift z", 'Z', ssCtrl | ssShift, U'\x1a'},
        {"ctrl enter", VK_RETURN, ssCtrl, U'\n'},
        {"ctrl backspace", VK_BACK, ssCtrl, U'\x7f'},
        // Printable keys come from text input, never from the key.
        {"space", VK_SPACE, 0, 0},
        {"letter", 'A', 0, 0},
        {"shift letter", 'A', ssShift, 0},
        {"alt letter", 'A', ssAlt, 0},
        {"alt enter", VK_RETURN, ssAlt, 0},
        {"ctrl alt letter (AltGr)", 'Q', ssCtrl | ssAlt, 0},
        {"ctrl digit", '1', ssCtrl, 0},
        {"delete", VK_DELETE, 0, 0},
        {"F4", VK_F4, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ControlCharacter(c.key, c.shift), c.expected) << c.label;
}

// ---- icons ----

void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// One DIB image as .ico files hold it; pixel(x, y) gives 0xAARRGGBB top-down for
// 32 and 24 bits, a palette index for 8 bits; masked(x, y) sets the AND-mask bit.
template <class Pixel, class Masked>
std::string Dib(int32_t size, uint32_t bpp, Pixel pixel, Masked masked, const std::vector<uint32_t>& palette = {}) {
    std::string d;
    Put32(d, 40);
    Put32(d, static_cast<uint32_t>(size));
    Put32(d, static_cast<uint32_t>(size * 2));
    Put16(d, 1);
    Put16(d, bpp);
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, static_cast<uint32_t>(palette.size()));
    Put32(d, 0);
    for (uint32_t c : palette) Put32(d, c);
    const size_t stride = ((static_cast<size_t>(size) * bpp + 31) / 32) * 4;
    for (int32_t y = size - 1; y >= 0; --y) {
        std::string row;
        for (int32_t x = 0; x < size; ++x) {
            const uint32_t p = pixel(x, y);
            if (bpp == 32) Put32(row, p);
            else if (bpp == 24) {
                Put16(row, p & 0xFFFF);
                row.push_back(static_cast<char>((p >> 16) & 0xFF));
            } else row.push_back(static_cast<char>(p));
        }
        row.resize(stride, '\0');
        d += row;
    }
    const size_t maskStride = ((static_cast<size_t>(size) + 31) / 32) * 4;
    for (int32_t y = size - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int32_t x = 0; x < size; ++x)
            if (masked(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        d += row;
    }
    return d;
}

std::string Ico(const std::vector<std::pair<int32_t, std::string>>& images) {
    std::string out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (const auto& [size, data] : images) {
        out.push_back(static_cast<char>(size == 256 ? 0 : size));
        out.push_back(static_cast<char>(size == 256 ? 0 : size));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<uint32_t>(static_cast<unsigned char>(data[14])));
        Put32(out, static_cast<uint32_t>(data.size()));
        Put32(out, static_cast<uint32_t>(offset));
        offset += data.size();
    }
    for (const auto& image : images) out += image.second;
    return out;
}

const auto kNoMask = [](int32_t, int32_t) { return false; };

TEST(SdlIcon, PicksThe32PixelImageAndReadsItTopDown) {
    auto gradient = [](int32_t x, int32_t y) {
        return 0x80000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x33u;
    };
    const std::string ico = Ico({{16, Dib(
                                          16, 32, [](int32_t, int32_t) { return 0xFF0000FFu; }, kNoMask)},
                                 {32, Dib(32, 32, gradient, kNoMask)},
                                 {24, Dib(
                                          24, 32, [](int32_t, int32_t) { return 0xFF00FF00u; }, kNoMask)}});
    const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
    ASSERT_EQ(image.Width, 32);
    ASSERT_EQ(image.Height, 32);
    ASSERT_EQ(image.Pixels.size(), 32u * 32u);
    EXPECT_EQ(image.Pixels[0], gradient(0, 0));
    EXPECT_EQ(image.Pixels[31], gradient(31, 0));
    EXPECT_EQ(image.Pixels[31 * 32], gradient(0, 31));
    EXPECT_EQ(image.Pixels[5 * 32 + 7], gradient(7, 5));
}

TEST(SdlIcon, DeeperColoursWinAmongImagesOfTheSameSize) {
    const std::vector<uint32_t> palette = {0x00000000, 0x0000FF00};
    const std::string ico = Ico({{32, Dib(
                                          32, 8, [](int32_t, int32_t) { return 1u; }, kNoMask, palette)},
                                 {32, Dib(
                                          32, 32, [](int32_t, int32_t) { return 0xFF112233u; }, kNoMask)}});
    const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
    ASSERT_EQ(image.Pixels.size(), 32u * 32u);
    EXPECT_EQ(image.Pixels[100], 0xFF112233u);
}

TEST(SdlIcon, WithoutAlphaTheAndMaskDecidesWhatShows) {
    auto masked = [](int32_t x, int32_t y) { return x < 4 && y == 2; };
    const std::string ico = Ico({{32, Dib(
                                          32, 24, [](int32_t, int32_t) { return 0x00ABCDEFu; }, masked)}});
    const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
    ASSERT_EQ(image.Pixels.size(), 32u * 32u);
    EXPECT_EQ(image.Pixels[2 * 32 + 0], 0u);
    EXPECT_EQ(image.Pixels[2 * 32 + 3], 0u);
    EXPECT_EQ(image.Pixels[2 * 32 + 4], 0xFFABCDEFu);
    EXPECT_EQ(image.Pixels[3 * 32 + 0], 0xFFABCDEFu);
}

TEST(SdlIcon, PaletteImagesReadTheirColours) {
    const std::vector<uint32_t> palette = {0x00000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    auto index = [](int32_t x, int32_t) { return static_cast<uint32_t>(x % 4); };
    const std::string ico = Ico({{16, Dib(16, 8, index, kNoMask, palette)}});
    const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
    ASSERT_EQ(image.Width, 16);
    EXPECT_EQ(image.Pixels[0], 0xFF000000u);
    EXPECT_EQ(image.Pixels[1], 0xFFFF0000u);
    EXPECT_EQ(image.Pixels[2], 0xFF00FF00u);
    EXPECT_EQ(image.Pixels[3 + 16 * 9], 0xFF0000FFu);
}

TEST(SdlIcon, BrokenFilesGiveNoImage) {
    const std::string good = Ico({{32, Dib(
                                           32, 32, [](int32_t, int32_t) { return 0xFF000000u; }, kNoMask)}});
    EXPECT_TRUE(sdl::DecodeIcon("", 32).Pixels.empty());
    EXPECT_TRUE(sdl::DecodeIcon(good.substr(0, 5), 32).Pixels.empty());
    EXPECT_TRUE(sdl::DecodeIcon(good.substr(0, 22), 32).Pixels.empty());   // directory only
    EXPECT_TRUE(sdl::DecodeIcon(good.substr(0, 200), 32).Pixels.empty());  // image cut short
    std::string cursor = good;
    cursor[2] = 2;  // a cursor file, not an icon
    EXPECT_TRUE(sdl::DecodeIcon(cursor, 32).Pixels.empty());
    std::string png = good;
    png.replace(22, 8, std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_TRUE(sdl::DecodeIcon(png, 32).Pixels.empty());
    EXPECT_EQ(sdl::DecodeIcon(good, 32).Pixels.size(), 32u * 32u);
}

TEST(SdlIcon, TheToolsOwnIconHasA32PixelImage) {
    const std::string_view ico = resources::Find("SistemaArchivio.ico");
    ASSERT_FALSE(ico.empty());
    const sdl::IconImage image = sdl::DecodeIcon(ico, 32);
    ASSERT_EQ(image.Width, 32);
    ASSERT_EQ(image.Height, 32);
    const auto opaque =
        std::count_if(image.Pixels.begin(), image.Pixels.end(), [](uint32_t p) { return (p >> 24) == 0xFF; });
    EXPECT_GT(opaque, 32 * 32 / 4);
}

// ---- the image into the window's pixel format ----

TEST(SdlSurface, ThePartArrivesOpaqueInEveryPixelFormat) {
    const Uint32 formats[] = {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_ABGR8888,
                              SDL_PIXELFORMAT_RGB24};
    auto image = CreateBitmap(16, 8);
    for (int32_t i = 0; i < 16 * 8; ++i) image->Bits()[i] = 0x00102030u + static_cast<uint32_t>(i);
    const TRect part{3, 2, 9, 7};
    for (const Uint32 format : formats) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 16, 8, 32, format);
        ASSERT_NE(surface, nullptr) << SDL_GetPixelFormatName(format);
        SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 0xAA, 0xBB, 0xCC, 0));
        sdl::CopyToSurface(*image, part, surface);
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        ASSERT_NE(argb, nullptr);
        const Uint32 sentinel = SDL_ISPIXELFORMAT_ALPHA(format) ? 0x00AABBCCu : 0xFFAABBCCu;
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const Uint32 got = static_cast<const Uint32*>(argb->pixels)[y * argb->pitch / 4 + x];
                const Uint32 expected = part.Contains(x, y) ? 0xFF000000u | image->Bits()[y * 16 + x] : sentinel;
                ASSERT_EQ(got, expected) << SDL_GetPixelFormatName(format) << " at " << x << "," << y;
            }
        SDL_FreeSurface(argb);
        SDL_FreeSurface(surface);
    }
}

}  // namespace
