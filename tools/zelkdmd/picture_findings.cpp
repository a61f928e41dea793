#include "tools/zelkdmd/picture_findings.h"

#include <cstdlib>
#include <string>

#include "device/matching/marker_search.h"

namespace zelk::tools {
namespace {

using device::isMarkerPixel;
using device::MarkerSearch;
using device::searchMarker;

// How far a lossy editor (JPEG round trip, colour management) typically moves
// a colour; further off is taken to be meant.
constexpr int kNearMarkerLevels = 8;
// Later marker dots looked at for an outline behind a stray one; a picture
// with more short runs than this is not an outline anyway.
constexpr int kMaxLaterMarkers = 4096;

std::string at(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }

const uint8_t* pixelAt(const Bitmap24& picture, int32_t x, int32_t y) {
    return picture.row(y) + static_cast<size_t>(x) * 3;
}

// Stored blue, green, red; said red, green, blue.
std::string colourAt(const Bitmap24& picture, int32_t x, int32_t y) {
    const uint8_t* p = pixelAt(picture, x, y);
    return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
}

size_t indexAfter(const Bitmap24& picture, const MarkerSearch& found) {
    return static_cast<size_t>(found.y) * static_cast<size_t>(picture.width) + static_cast<size_t>(found.x) + 1;
}

// The search gave up at its first marker dot: say whether an outline came
// later (a stray dot was in its way) or the first dot's edges were short.
void explainMissingBox(const Bitmap24& picture, const MarkerSearch& first, PictureCheck& check) {
    const std::string runs =
        "runs of " + counted(first.across, "dot", "dots") + " across and " + std::to_string(first.down) + " down";
    MarkerSearch later = first;
    for (int look = 0; look < kMaxLaterMarkers; ++look) {
        later = searchMarker(picture, indexAfter(picture, later));
        if (!later.markerFound) break;
        if (!later.box) continue;
        addFinding(check.findings, Severity::warning, "stray-marker",
                   "a stray marker dot at " + at(first.x, first.y) + " (" + runs +
                       ") is found first and the search stops there, so the outline at " + at(later.x, later.y) +
                       " is not used: the whole picture counts");
        return;
    }
    addFinding(check.findings, Severity::warning, "short-edge",
               "the first marker dot, at " + at(first.x, first.y) + ", starts " + runs +
                   "; both edges need at least 4 dots, so the whole picture counts");
}

// The plug-in measures only the top and left edges and takes the right edge
// to lie in the column where the top edge's run ends (the bottom edge
// likewise): say so when the picture does not have them there.
void checkAssumedEdge(const Bitmap24& picture, bool right, const MarkerSearch& found, PictureCheck& check) {
    const int32_t line = right ? found.x + found.across - 1 : found.y + found.down - 1;
    const int32_t length = right ? found.down : found.across;
    int32_t off = 0;
    int32_t firstX = 0;
    int32_t firstY = 0;
    for (int32_t i = 0; i < length; ++i) {
        const int32_t x = right ? line : found.x + i;
        const int32_t y = right ? found.y + i : line;
        if (isMarkerPixel(pixelAt(picture, x, y))) continue;
        if (off++ == 0) {
            firstX = x;
            firstY = y;
        }
    }
    if (off == 0) return;
    const std::string what = right ? "right edge to be column " : "bottom edge to be row ";
    const std::string where = right ? "top" : "left";
    addFinding(check.findings, Severity::warning, right ? "right-edge" : "bottom-edge",
               "the plug-in takes the " + what + std::to_string(line) + ", where the " + where +
                   " edge's run ends, but " + std::to_string(off) + " of the " + std::to_string(length) +
                   " dots there are not marker colour (first at " + at(firstX, firstY) + ": " +
                   colourAt(picture, firstX, firstY) + "); the region still ends at " + (right ? "column " : "row ") +
                   std::to_string(line - 1));
}

}  // namespace

void addOutlineFindings(const Bitmap24& picture, PictureCheck& check) {
    const MarkerSearch first = searchMarker(picture);
    if (!first.markerFound) {
        addFinding(check.findings, Severity::note, "no-marker", "no marker dot (253,0,253): the whole picture counts");
    } else if (!first.box) {
        explainMissingBox(picture, first, check);
    } else {
        checkAssumedEdge(picture, true, first, check);
        checkAssumedEdge(picture, false, first, check);
    }
}

void addNearMarkerFindings(const Bitmap24& picture, PictureCheck& check) {
    int64_t count = 0;
    int32_t firstX = 0;
    int32_t firstY = 0;
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint8_t* p = pixelAt(picture, x, y);
            const bool near = std::abs(p[0] - 253) <= kNearMarkerLevels && p[1] <= kNearMarkerLevels &&
                              std::abs(p[2] - 253) <= kNearMarkerLevels;
            if (!near || isMarkerPixel(p)) continue;
            if (count++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (count == 0) return;
    addFinding(
        check.findings, Severity::warning, "near-marker",
        counted(count, "dot is", "dots are") + " within " + std::to_string(kNearMarkerLevels) +
            " levels of the marker colour but not exactly 253,0,253 (first at " + at(firstX, firstY) + ": " +
            colourAt(picture, firstX, firstY) +
            "), as a lossy editor or a colour conversion leaves them: the plug-in does not take them for marker");
}

}  // namespace zelk::tools
