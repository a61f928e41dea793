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

std::string footerText(size_t shown, uint64_t sends) {
    if (sends == 0) return "NO TRIGGER WAS SENT";
    if (shown == sends) return std::to_string(sends) + (sends == 1 ? " SEND" : " SENDS") + " - ALL SHOWN";
    return std::to_string(shown) + " OF " + std::to_string(sends) + " SENDS SHOWN - " +
           std::to_string(sends - shown) + " LEFT OUT";
}

}  // namespace

void SheetCollector::add(uint64_t frame, int trigger, const device::MaskRect& region, uint16_t width,
                         uint16_t height, const uint8_t* rgb) {
    ++sends_;
    const auto number = static_cast<size_t>(std::max(trigger, 0));
    if (sent_.size() <= number) sent_.resize(number + 1);
    const bool first = !sent_[number];
    sent_[number] = true;
    if (tiles_.size() >= maxTiles_) {
        if (!first) return;
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

int sheetScale(int32_t frameWidth, int32_t frameHeight) {
    return std::clamp(std::min(512 / std::max(frameWidth, 1), 256 / std::max(frameHeight, 1)), 1, 4);
}

Bitmap24 drawContactSheet(const std::vector<SheetTile>& tiles, uint64_t sends) {
    int32_t frameWidth = 1, frameHeight = 1;
    for (const SheetTile& tile : tiles) {
        frameWidth = std::max(frameWidth, tile.picture.width);
        frameHeight = std::max(frameHeight, tile.picture.height);
    }
    const int scale = sheetScale(frameWidth, frameHeight);
    const int cellWidth = frameWidth * scale + 2 * kPad;
    const int cellHeight = kLabelHeight + frameHeight * scale + 2 * kPad;
    const int fit = std::max((kMaxSheetWidth - kMargin) / (cellWidth + kMargin), 1);
    const int columns = std::clamp(static_cast<int>(tiles.size()), 1, fit);
    const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
    const std::string footer = footerText(tiles.size(), sends);

    const int width = std::max(kMargin + columns * (cellWidth + kMargin),
                               2 * kMargin + fontTextWidth(footer, kTextScale));
    Bitmap24 sheet(width, kMargin + rows * (cellHeight + kMargin) + kFooterHeight);
    fillRect(sheet, 0, 0, sheet.width, sheet.height, kBackground);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int x = kMargin + static_cast<int>(i % columns) * (cellWidth + kMargin);
        const int y = kMargin + static_cast<int>(i / columns) * (cellHeight + kMargin);
        drawTile(sheet, x, y, tiles[i], {cellWidth, cellHeight, scale});
    }
    drawFontText(sheet, kMargin, sheet.height - kFooterHeight, footer, kTextScale, kText);
    return sheet;
}

}  // namespace zelk::tools
