#include "tools/zelkdmd/contact_sheet.h"

#include <algorithm>
#include <string>

#include "tools/zelkdmd/sheet_font.h"

namespace zelk::tools {
namespace {

constexpr Colour kBackground{40, 40, 48};
constexpr Colour kText{230, 230, 230};
// The marker colour of trigger pictures: the outline means what it means there.
constexpr Colour kOutline{253, 0, 253};
constexpr Colour kTriggerText{255, 96, 255};  // a lighter shade, easier to read
constexpr int kMargin = 10;    // around the sheet and between tiles
constexpr int kPad = 6;        // around a frame, room for its outline
constexpr int kTextScale = 3;  // 9x15 pixel letters
constexpr int kLabelHeight = kFontHeight * kTextScale + 4;
constexpr int kFooterHeight = kFontHeight * kTextScale + kMargin;
constexpr int kMaxSheetWidth = 1100;

// The frame enlarged, every dot a scale x scale square.
void drawEnlarged(Bitmap24& sheet, int x, int y, const Bitmap24& frame, int scale) {
    for (int32_t row = 0; row < frame.height; ++row) {
        const uint8_t* pixel = frame.row(row);
        for (int32_t column = 0; column < frame.width; ++column, pixel += 3) {
            fillRect(sheet, x + column * scale, y + row * scale, scale, scale, {pixel[2], pixel[1], pixel[0]});
        }
    }
}

// An outline just outside the region, so that it hides none of its dots.
void drawOutline(Bitmap24& sheet, int x, int y, const device::MaskRect& region, int scale) {
    const int thickness = scale >= 2 ? 2 : 1;
    const int left = x + region.left * scale - thickness;
    const int top = y + region.top * scale - thickness;
    const int width = (region.right - region.left) * scale + 2 * thickness;
    const int height = (region.bottom - region.top) * scale + 2 * thickness;
    fillRect(sheet, left, top, width, thickness, kOutline);
    fillRect(sheet, left, top + height - thickness, width, thickness, kOutline);
    fillRect(sheet, left, top, thickness, height, kOutline);
    fillRect(sheet, left + width - thickness, top, thickness, height, kOutline);
}

struct Cell {
    int width, height, scale;
};

struct Layout {
    Cell cell;
    int columns, rows;
    int gridWidth, height;
};

Layout layOut(size_t tiles, int32_t frameWidth, int32_t frameHeight) {
    Layout layout{};
    const int scale = sheetScale(frameWidth, frameHeight);
    layout.cell = {frameWidth * scale + 2 * kPad, kLabelHeight + frameHeight * scale + 2 * kPad, scale};
    const int fit = std::max((kMaxSheetWidth - kMargin) / (layout.cell.width + kMargin), 1);
    layout.columns = std::clamp(static_cast<int>(tiles), 1, fit);
    layout.rows = (static_cast<int>(tiles) + layout.columns - 1) / layout.columns;
    layout.gridWidth = kMargin + layout.columns * (layout.cell.width + kMargin);
    layout.height = kMargin + layout.rows * (layout.cell.height + kMargin) + kFooterHeight;
    return layout;
}

// The label above, the frame on black below it.
void drawTile(Bitmap24& sheet, int x, int y, const SheetTile& tile, const Cell& cell) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict inside libstdc++)
    // about "literal" + std::to_string(...) at -O3.
    std::string frameLabel = "FRAME ";
    frameLabel += std::to_string(tile.frame);
    frameLabel += "  ";
    drawFontText(sheet, x, y, frameLabel, kTextScale, kText);
    const int triggerX = x + static_cast<int>(frameLabel.size()) * (kFontWidth + 1) * kTextScale;
    std::string triggerLabel = "D";
    triggerLabel += std::to_string(tile.trigger);
    drawFontText(sheet, triggerX, y, triggerLabel, kTextScale, kTriggerText);
    fillRect(sheet, x, y + kLabelHeight, cell.width, cell.height - kLabelHeight, {0, 0, 0});
    const int frameX = x + kPad, frameY = y + kLabelHeight + kPad;
    drawEnlarged(sheet, frameX, frameY, tile.picture, cell.scale);
    drawOutline(sheet, frameX, frameY, tile.region, cell.scale);
}

std::string footerText(size_t shown, uint64_t sends, bool pixelsCapped) {
    if (sends == 0) return "NO TRIGGER WAS SENT";
    if (shown == sends) return std::to_string(sends) + (sends == 1 ? " SEND" : " SENDS") + " - ALL SHOWN";
    return std::to_string(shown) + " OF " + std::to_string(sends) + " SENDS SHOWN - " +
           std::to_string(sends - shown) + " LEFT OUT" + (pixelsCapped ? " (SHEET SIZE CAPPED)" : "");
}

}  // namespace

void SheetCollector::add(uint64_t frame, int trigger, const device::MaskRect& region, uint16_t width,
                         uint16_t height, const uint8_t* rgb) {
    ++sends_;
    const auto number = static_cast<size_t>(std::max(trigger, 0));
    if (sent_.size() <= number) sent_.resize(number + 1);
    const bool first = !sent_[number];
    sent_[number] = true;
    const bool full = tiles_.size() >= maxTiles_;
    if (full && !first) return;
    if (!fits(tiles_.size() + (full ? 0 : 1), width, height)) {
        pixelsCapped_ = true;
        return;
    }
    if (full) {
        // The latest repeat gives its place to a trigger not shown yet.
        const auto isRepeat = [](const SheetTile& tile) { return !tile.firstSend; };
        const auto repeat = std::find_if(tiles_.rbegin(), tiles_.rend(), isRepeat);
        if (repeat == tiles_.rend()) return;
        tiles_.erase(std::next(repeat).base());
    }
    SheetTile tile{frame, trigger, region, first, Bitmap24(width, height)};
    for (size_t at = 0; at + 2 < tile.picture.pixels.size(); at += 3) {
        tile.picture.pixels[at] = rgb[at + 2];
        tile.picture.pixels[at + 1] = rgb[at + 1];
        tile.picture.pixels[at + 2] = rgb[at];
    }
    tiles_.push_back(std::move(tile));
}

// Whether a sheet of that many tiles, one of them this frame's, stays
// within the pixel bound; before any tile is made.
bool SheetCollector::fits(size_t tiles, uint16_t width, uint16_t height) const {
    int32_t frameWidth = width, frameHeight = height;
    for (const SheetTile& tile : tiles_) {
        frameWidth = std::max(frameWidth, tile.picture.width);
        frameHeight = std::max(frameHeight, tile.picture.height);
    }
    return sheetPixels(tiles, frameWidth, frameHeight) <= maxPixels_;
}

uint64_t sheetPixels(size_t tiles, int32_t frameWidth, int32_t frameHeight) {
    const Layout layout = layOut(tiles, frameWidth, frameHeight);
    // The footer's text is never wider than the widest sheet of small frames.
    return uint64_t(std::max(layout.gridWidth, kMaxSheetWidth)) * uint64_t(layout.height);
}

int sheetScale(int32_t frameWidth, int32_t frameHeight) {
    return std::clamp(std::min(512 / std::max(frameWidth, 1), 256 / std::max(frameHeight, 1)), 1, 4);
}

Bitmap24 drawContactSheet(const std::vector<SheetTile>& tiles, uint64_t sends, bool pixelsCapped) {
    int32_t frameWidth = 1, frameHeight = 1;
    for (const SheetTile& tile : tiles) {
        frameWidth = std::max(frameWidth, tile.picture.width);
        frameHeight = std::max(frameHeight, tile.picture.height);
    }
    const Layout layout = layOut(tiles.size(), frameWidth, frameHeight);
    const std::string footer = footerText(tiles.size(), sends, pixelsCapped);

    const int width = std::max(layout.gridWidth, 2 * kMargin + fontTextWidth(footer, kTextScale));
    Bitmap24 sheet(width, layout.height);
    fillRect(sheet, 0, 0, sheet.width, sheet.height, kBackground);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int x = kMargin + static_cast<int>(i % layout.columns) * (layout.cell.width + kMargin);
        const int y = kMargin + static_cast<int>(i / layout.columns) * (layout.cell.height + kMargin);
        drawTile(sheet, x, y, tiles[i], layout.cell);
    }
    drawFontText(sheet, kMargin, sheet.height - kFooterHeight, footer, kTextScale, kText);
    return sheet;
}

}  // namespace zelk::tools
