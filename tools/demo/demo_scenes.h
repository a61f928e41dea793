#pragma once
// The scenes of the demo table "zelkdemo": what its 128x32 DMD shows in
// attract mode and during play. The trigger pictures are drawn from the same
// scenes as the recording, so a region that is on the DMD matches its trigger.
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "tools/demo/dot_font.h"

namespace zelk::demo {

constexpr int kDmdWidth = 128;
constexpr int kDmdHeight = 32;

// Dark dots sum to far below the plug-in's threshold of 200, lit dots far above.
constexpr Rgb kUnlitDot{24, 8, 0};
constexpr Rgb kLitDot{255, 110, 0};
// A second lit shade for the recording: hosts do not always draw the exact
// colours the pack maker saw, and the threshold rule does not care.
constexpr Rgb kLitDotDimmer{235, 95, 10};
// The colour that outlines a trigger's region in a trigger picture.
constexpr Rgb kMarker{253, 0, 253};

// The inside of a marker outline: columns left..right-1, rows top..bottom-1.
struct Region {
    int left, top, right, bottom;
};

// Draws a one-dot outline just outside region.
void drawMarkerOutline(Bitmap24& picture, const Region& region);

Bitmap24 attractTitle(Rgb lit);
Bitmap24 attractHighScores(Rgb lit);
Bitmap24 attractInsertCoin(int step, Rgb lit);
Bitmap24 playerScore(const std::string& points, Rgb lit);
Bitmap24 multiball(Rgb lit);
Bitmap24 jackpot(const std::string& points, Rgb lit);
Bitmap24 ballSaved(Rgb lit);
Bitmap24 extraBall(bool withBallIcon, Rgb lit);
Bitmap24 gameOver(const std::string& points, Rgb lit);

// The regions that the trigger pictures outline.
Region jackpotRegion();
Region ballIconRegion();
Region extraBallRegion();
Region gameOverRegion();

// The demo table's trigger pictures; trigger n is element n - 1. Picture 1
// has no outline: the whole picture is its region, so it fires only when the
// whole DMD shows it.
std::vector<Bitmap24> triggerPictures();

// 1234567 -> "1,234,567"
std::string withCommas(long long value);

}  // namespace zelk::demo
