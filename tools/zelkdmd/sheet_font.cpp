#include "tools/zelkdmd/sheet_font.h"

#include <algorithm>
#include <array>

namespace zelk::tools {
namespace {

struct Glyph {
    char ch;
    std::array<const char*, kFontHeight> rows;  // '#' is a lit pixel
};

constexpr Glyph kGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "##."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'+', {"...", ".#.", "###", ".#.", "..."}}, {'-', {"...", "...", "###", "...", "..."}},
    {':', {"...", ".#.", "...", ".#.", "..."}}, {',', {"...", "...", "...", ".#.", "#.."}},
    {'.', {"...", "...", "...", "...", ".#."}}, {'(', {".#.", "#..", "#..", "#..", ".#."}},
    {')', {".#.", "..#", "..#", "..#", ".#."}}, {'/', {"..#", "..#", ".#.", "#..", "#.."}},
};

const Glyph* glyphFor(char ch) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.ch == ch) return &glyph;
    }
    return nullptr;  // drawn blank
}

}  // namespace

int fontTextWidth(const std::string& text, int scale) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (kFontWidth + 1) * scale - scale;
}

void fillRect(Bitmap24& picture, int x, int y, int width, int height, Colour colour) {
    const int left = std::max(x, 0), right = std::min(x + width, picture.width);
    const int top = std::max(y, 0), bottom = std::min(y + height, picture.height);
    for (int row = top; row < bottom; ++row) {
        uint8_t* pixel = picture.row(row) + static_cast<size_t>(left) * 3;
        for (int column = left; column < right; ++column, pixel += 3) {
            pixel[0] = colour.b;
            pixel[1] = colour.g;
            pixel[2] = colour.r;
        }
    }
}

void drawFontText(Bitmap24& picture, int x, int y, const std::string& text, int scale, Colour colour) {
    for (const char ch : text) {
        if (const Glyph* glyph = glyphFor(ch)) {
            for (int row = 0; row < kFontHeight; ++row) {
                for (int column = 0; column < kFontWidth; ++column) {
                    if (glyph->rows[row][column] != '#') continue;
                    fillRect(picture, x + column * scale, y + row * scale, scale, scale, colour);
                }
            }
        }
        x += (kFontWidth + 1) * scale;
    }
}

}  // namespace zelk::tools
