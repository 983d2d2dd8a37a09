#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "WidgetFixture.h"
#include "forms/controls/Image.h"
#include "forms/core/LayoutReader.h"

using namespace forms;

namespace {

// Encodes a picture for the tests; the colour of each pixel comes from `at`.
std::vector<uint8_t> EncodeJpeg(int width, int height, bool grey, const std::function<TColor(int, int)>& at) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * (grey ? 1 : 3));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const TColor c = at(x, y);
            if (grey) {
                row[static_cast<size_t>(x)] = GetRValue(c);
            } else {
                row[static_cast<size_t>(x) * 3] = GetRValue(c);
                row[static_cast<size_t>(x) * 3 + 1] = GetGValue(c);
                row[static_cast<size_t>(x) * 3 + 2] = GetBValue(c);
            }
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Left half red, right half blue, in whole 16-pixel blocks so that the colours
// survive compression nearly unchanged.
std::vector<uint8_t> Halves() {
    return EncodeJpeg(32, 16, false, [](int x, int) { return x < 16 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
}

// JPEG is lossy: a colour within a few steps per channel counts as the same.
::testing::AssertionResult Near(TColor got, TColor want) {
    auto d = [](int a, int b) { return std::abs(a - b); };
    if (d(GetRValue(got), GetRValue(want)) <= 6 && d(GetGValue(got), GetGValue(want)) <= 6 &&
        d(GetBValue(got), GetBValue(want)) <= 6)
        return ::testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof text, "got %06X, want about %06X", got, want);
    return ::testing::AssertionFailure() << text;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        s += two;
    }
    return s;
}

TEST(Jpeg, DecodesColourAndGreyPicturesAtTheirNaturalSize) {
    const std::vector<uint8_t> data = Halves();
    const auto bitmap = DecodeJpeg(data.data(), data.size());
    ASSERT_EQ(bitmap->Width(), 32);
    ASSERT_EQ(bitmap->Height(), 16);
    EXPECT_TRUE(Near(bitmap->Pixel(0, 0), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(bitmap->Pixel(8, 15), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(bitmap->Pixel(24, 0), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(bitmap->Pixel(31, 15), RGB(0, 0, 255)));

    const std::vector<uint8_t> grey = EncodeJpeg(8, 8, true, [](int, int) { return RGB(100, 100, 100); });
    const auto g = DecodeJpeg(grey.data(), grey.size());
    EXPECT_TRUE(Near(g->Pixel(3, 3), RGB(100, 100, 100)));
}

TEST(Jpeg, BadDataRaisesAnErrorAndTheProcessGoesOn) {
    const std::vector<uint8_t> good = Halves();
    const std::vector<uint8_t> cases[] = {
        {},
        {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'},
        std::vector<uint8_t>(good.begin(), good.begin() + 20),  // cut inside the headers
        {0xFF, 0xD8, 0xFF, 0xD9},                               // start and end, nothing between
    };
    for (const auto& data : cases) {
        SCOPED_TRACE(data.size());
        try {
            DecodeJpeg(data.data(), data.size());
            ADD_FAILURE() << "decoded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPEG: ", 0), 0u) << e.what();
        }
    }
    // A picture keeps what it had when new data does not decode.
    TPicture picture;
    picture.SetData(good);
    EXPECT_THROW(picture.SetData(cases[1]), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(picture.Data(), good);
    picture.SetData({});
    EXPECT_EQ(picture.Bitmap(), nullptr);
}

using ImageOnForm = WidgetFixture;

TEST_F(ImageOnForm, ReadFromALayoutAndDrawnUnstretchedFromTheTopLeft) {
    form->SetColor(clGray);
    ReadLayoutText(*form,
                   "object F: TForm\n  Color = clGray\n  object Img: TImage\n    Left = 10\n    Top = 20\n"
                   "    Width = 40\n    Height = 30\n    Picture.Data = {" +
                       Hex(Halves()) + "}\n  end\nend\n",
                   "test");
    auto* img = static_cast<TImage*>(form->FindComponent("Img"));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->Picture()->Width(), 32);
    EXPECT_EQ(img->ControlStyle & csOpaque, 0u);  // the picture leaves part of it to the form
    ShowAndPaint();
    const TBitmap& s = Screen();
    EXPECT_TRUE(Near(s.Pixel(10, 20), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(s.Pixel(10 + 8, 20 + 15), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(s.Pixel(10 + 24, 20), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(s.Pixel(10 + 31, 20 + 15), RGB(0, 0, 255)));
    EXPECT_EQ(s.Pixel(10 + 32, 20), clGray);  // not stretched to the control's width
    EXPECT_EQ(s.Pixel(10, 20 + 16), clGray);
    EXPECT_EQ(s.Pixel(10 + 39, 20 + 29), clGray);
    EXPECT_EQ(s.Pixel(9, 19), clGray);

    img->SetBounds(10, 20, 32, 16);
    EXPECT_NE(img->ControlStyle & csOpaque, 0u);  // covered whole: repaints skip the form
}

TEST_F(ImageOnForm, BadPictureDataInALayoutNamesTheLine) {
    try {
        ReadLayoutText(*form, "object F: TForm\n  object Img: TImage\n    Picture.Data = {00112233}\n  end\nend\n",
                       "broken");
        FAIL() << "read";
    } catch (const ELayoutError& e) {
        EXPECT_NE(std::string(e.what()).find("broken:3:"), std::string::npos) << e.what();
    }
}

}  // namespace
