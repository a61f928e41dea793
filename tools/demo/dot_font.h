#pragma once
// A 5 by 7 dot font and a few drawing helpers for making DMD-like pictures:
// lit dots on a dark dot grid, as a 128x32 display shows them.
#include <cstdint>
#include <string>

#include "core/bitmap24.h"

namespace zelk::demo {

struct Rgb {
    uint8_t r, g, b;
};

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Sets one dot; dots outside the picture are ignored so scenes may overhang.
void setDot(Bitmap24& picture, int x, int y, Rgb colour);
void fill(Bitmap24& picture, Rgb colour);

// Width in dots of text drawn at the given scale (one blank column between glyphs).
int textWidth(const std::string& text, int scale);
// Draws text with its top-left corner at (x, y). Throws std::invalid_argument
// for a character the font does not have.
void drawText(Bitmap24& picture, int x, int y, const std::string& text, int scale, Rgb colour);
// Draws text centred horizontally; returns its left column.
int drawCentred(Bitmap24& picture, int y, const std::string& text, int scale, Rgb colour);

// A filled disc, the usual DMD ball icon.
void drawBall(Bitmap24& picture, int centreX, int centreY, int radius, Rgb colour);

}  // namespace zelk::demo
