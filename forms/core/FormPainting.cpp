// The form's painting: one surface the size of the client area, the dirty region
// that collects invalidations, and the passes that paint it and present it.
#include "Form.h"

#include "Application.h"

namespace forms {

bool TForm::SurfaceFits() const { return surface_ && surface_->Width() == Width() && surface_->Height() == Height(); }

TBitmap& TForm::Surface() {
    if (!surface_) surface_ = CreateBitmap();
    if (!SurfaceFits()) surface_->SetSize(Width(), Height());
    return *surface_;
}

void TForm::InvalidateRect(const TRect& r) {
    const TRect clipped = r.Intersect(ClientRect());
    if (clipped.IsEmpty()) return;
    dirty_ = dirty_.Union(clipped);
    if (handle_ && Application) Application->RequestPaint(this);
}

void TForm::Update() {
    if (dirty_.IsEmpty() || !handle_) return;
    const TRect r = dirty_;
    dirty_ = {};
    PaintRect(r);
}

void TForm::Paint() {
    canvas_->BrushColor = Color();
    canvas_->BrushStyle = TBrushStyle::bsSolid;
    canvas_->FillRect(ClientRect());
}

void TForm::PaintRect(const TRect& r) {
    if (!handle_) return;
    // A surface that had to be made or resized holds nothing yet: all of it is painted.
    const bool resized = !SurfaceFits();
    TBitmap& surface = Surface();
    const TRect area = resized ? ClientRect() : r.Intersect(ClientRect());
    if (area.IsEmpty()) return;
    TCanvas& canvas = surface.Canvas();
    {
        ClipScope scope(canvas, 0, 0, area);
        TControl::PaintTo(canvas);  // the form's own background; children only where dirty
        PaintChildren(canvas, area);
    }
    TheBackend().Present(handle_, surface, area);
}

void TForm::PaintControlNow(TControl& c) {
    if (!handle_) return;
    if (!SurfaceFits()) {
        PaintRect(ClientRect());
        return;
    }
    const TPoint o = c.FormOrigin();
    TRect r = Bounds(o.X, o.Y, c.Width(), c.Height());
    for (const TControl* p = c.Parent(); p && p != this; p = p->Parent()) {
        const TPoint po = p->FormOrigin();
        r = r.Intersect(Bounds(po.X, po.Y, p->Width(), p->Height()));
    }
    r = r.Intersect(ClientRect());
    if (r.IsEmpty()) return;
    TCanvas& canvas = surface_->Canvas();
    {
        ClipScope scope(canvas, o.X, o.Y, r.Offset(-o.X, -o.Y));
        c.PaintTo(canvas);
    }
    TheBackend().Present(handle_, *surface_, r);
}

}  // namespace forms
