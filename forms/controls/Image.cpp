#include "Image.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace forms {

namespace {

// Larger pictures are refused rather than allocated.
constexpr JDIMENSION kMaxSide = 16384;

struct JpegErrors {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer to it is a pointer to all
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default ends the process; ours goes back to the decoder's setjmp.
void OnJpegError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (corrupt but readable data) are not printed.
void OnJpegMessage(j_common_ptr) {}

struct JpegTarget {
    std::unique_ptr<TBitmap> bitmap;
};

// Every local here is a plain C object, so a longjmp out of libjpeg skips no
// destructor; what the decoding builds lives in the caller's target.
bool DecodeInto(const uint8_t* data, size_t size, JpegTarget& target, char (&message)[JMSG_LENGTH_MAX]) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnJpegError;
    errors.pub.output_message = OnJpegMessage;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, sizeof message, "%s", errors.message);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const JDIMENSION width = cinfo.output_width;
    const JDIMENSION height = cinfo.output_height;
    if (width > kMaxSide || height > kMaxSide || cinfo.output_components != 3) {
        std::snprintf(message, sizeof message, "picture of %u x %u pixels not supported", width, height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    try {
        target.bitmap = CreateBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height));
    } catch (...) {
        jpeg_destroy_decompress(&cinfo);
        throw;
    }
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 3, 1);
    uint32_t* bits = target.bitmap->Bits();
    while (cinfo.output_scanline < height) {
        const JDIMENSION y = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, row, 1);
        uint32_t* out = bits + static_cast<size_t>(y) * width;
        const JSAMPLE* in = row[0];
        for (JDIMENSION x = 0; x < width; ++x, in += 3)
            out[x] = (static_cast<uint32_t>(in[0]) << 16) | (static_cast<uint32_t>(in[1]) << 8) | in[2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

std::unique_ptr<TBitmap> DecodeJpeg(const uint8_t* data, size_t size) {
    if (!data || size == 0) throw EInvalidGraphic("JPEG: no data");
    JpegTarget target;
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeInto(data, size, target, message)) throw EInvalidGraphic(std::string("JPEG: ") + message);
    return std::move(target.bitmap);
}

const TClassInfo& TPicture::StaticClass() {
    static const TClassInfo info =
        ClassBuilder<TPicture>("TPicture", &TPersistent::StaticClass()).Binary("Data", &TPicture::SetData).Build();
    return info;
}

void TPicture::SetData(const std::vector<uint8_t>& data) {
    std::unique_ptr<TBitmap> decoded = data.empty() ? nullptr : DecodeJpeg(data.data(), data.size());
    data_ = data;
    bitmap_ = std::move(decoded);
    if (OnChange) OnChange();
}

const TClassInfo& TImage::StaticClass() {
    static const TClassInfo info =
        ClassBuilder<TImage>("TImage", &TGraphicControl::StaticClass())
            .Creatable()
            .Nested("Picture", "TPicture", static_cast<TPicture* (TImage::*)()>(&TImage::Picture))
            .Publish(TControl::Protected("Visible"))
            .Event("OnClick", &TImage::OnClick)
            .Build();
    return info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] {
        UpdateOpacity();
        Invalidate();
    };
}

void TImage::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    TGraphicControl::SetBounds(left, top, width, height);
    UpdateOpacity();
}

void TImage::UpdateOpacity() {
    const bool covers = picture_.Width() >= Width() && picture_.Height() >= Height();
    if (covers) ControlStyle |= csOpaque;
    else ControlStyle &= ~static_cast<TControlStyle>(csOpaque);
}

bool TImage::Describe(AccessibleNode& node) const {
    node.Role = AccessibleRole::Graphic;
    return true;
}

void TImage::Paint() {
    if (const TBitmap* b = picture_.Bitmap()) Canvas()->Draw(0, 0, *b);
}

}  // namespace forms
