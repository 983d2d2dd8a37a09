#pragma once
#include "forms/graphics/Canvas.h"

namespace forms {

// The classic three-dimensional look, drawn with the canvas's pen.
// A frame whose top and left edges take one colour, bottom and right the other.
void Frame3D(TCanvas& c, TRect& r, TColor topLeft, TColor bottomRight);
// A push button's face: raised, or pressed; a default (or focused) button gets a
// black outer frame. r shrinks to the area inside the edges.
void DrawButtonFace(TCanvas& c, TRect& r, bool pressed, bool isDefault);
// The dotted focus rectangle: every other pixel, inverted against the face.
void DrawFocusRect(TCanvas& c, const TRect& r);

}  // namespace forms
