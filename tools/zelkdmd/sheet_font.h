#pragma once
// A 3 by 5 dot font for the labels of a contact sheet: digits, capital
// letters and a little punctuation, drawn into a Bitmap24 at any scale.
// Lower-case letters are drawn as capitals, anything else as a blank.
#include <cstdint>
#include <string>

#include "core/bitmap24.h"

namespace zelk::tools {

struct Colour {
    uint8_t r, g, b;
};

constexpr int kFontWidth = 3;
constexpr int kFontHeight = 5;

// Width in pixels of text at the given scale: one blank column between glyphs.
int fontTextWidth(const std::string& text, int scale);

// Draws text with its top-left corner at (x, y); pixels outside the picture
// are left out.
void drawFontText(Bitmap24& picture, int x, int y, const std::string& text, int scale, Colour colour);

// Fills a rectangle, clipped to the picture.
void fillRect(Bitmap24& picture, int x, int y, int width, int height, Colour colour);

}  // namespace zelk::tools
