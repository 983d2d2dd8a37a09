#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "forms/core/Control.h"
#include "forms/graphics/Bitmap.h"

namespace forms {

// Picture data that cannot be decoded.
class EInvalidGraphic : public EPropertyError {
public:
    using EPropertyError::EPropertyError;
};

// Decodes JPEG data into a bitmap of its natural size; EInvalidGraphic carries the
// decoder's own message when the data is not a JPEG image it can read.
std::unique_ptr<TBitmap> DecodeJpeg(const uint8_t* data, size_t size);

// A picture held by its stored JPEG data (layouts write it as Picture.Data).
class TPicture : public TPersistent {
    FORMS_CLASS(TPicture)
public:
    const std::vector<uint8_t>& Data() const { return data_; }
    // Empty data clears the picture; data that does not decode leaves it unchanged.
    void SetData(const std::vector<uint8_t>& data);
    // nullptr while the picture is empty.
    const TBitmap* Bitmap() const { return bitmap_.get(); }
    int32_t Width() const { return bitmap_ ? bitmap_->Width() : 0; }
    int32_t Height() const { return bitmap_ ? bitmap_->Height() : 0; }

    std::function<void()> OnChange;

private:
    std::vector<uint8_t> data_;
    std::unique_ptr<TBitmap> bitmap_;
};

// A windowless picture: drawn at its natural size from the control's top-left
// corner, never stretched or centred, every pixel of it opaque. The part of the
// control the picture does not cover shows the parent. It takes no keyboard focus.
class TImage : public TGraphicControl {
    FORMS_CLASS(TImage)
public:
    explicit TImage(TComponent* AOwner);

    TPicture* Picture() { return &picture_; }
    const TPicture* Picture() const { return &picture_; }

    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void Paint() override;
    bool Describe(AccessibleNode& node) const override;

private:
    // Opaque while the picture covers the whole control, so a repaint may skip the parent.
    void UpdateOpacity();
    TPicture picture_;
};

}  // namespace forms
