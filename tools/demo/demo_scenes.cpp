#include "tools/demo/demo_scenes.h"

namespace zelk::demo {
namespace {

constexpr int kBallX = 112;
constexpr int kBallY = 16;
constexpr int kBallRadius = 5;

Bitmap24 blankDmd() {
    Bitmap24 picture(kDmdWidth, kDmdHeight);
    fill(picture, kUnlitDot);
    return picture;
}

int centredLeft(const std::string& text, int scale) {
    return (kDmdWidth - textWidth(text, scale)) / 2;
}

// The box of a centred line of text with one dark dot of margin around it.
Region centredTextRegion(const std::string& text, int y, int scale) {
    const int left = centredLeft(text, scale);
    return {left - 1, y - 1, left + textWidth(text, scale) + 1, y + kGlyphHeight * scale + 1};
}

}  // namespace

void drawMarkerOutline(Bitmap24& picture, const Region& region) {
    for (int x = region.left - 1; x <= region.right; ++x) {
        setDot(picture, x, region.top - 1, kMarker);
        setDot(picture, x, region.bottom, kMarker);
    }
    for (int y = region.top - 1; y <= region.bottom; ++y) {
        setDot(picture, region.left - 1, y, kMarker);
        setDot(picture, region.right, y, kMarker);
    }
}

Bitmap24 attractTitle(Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 2, "ZELK DEMO", 2, lit);
    drawCentred(picture, 22, "PRESS START", 1, lit);
    return picture;
}

Bitmap24 attractHighScores(Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 1, "HIGH SCORES", 1, lit);
    drawText(picture, 10, 12, "1) ZLK 12,000,000", 1, lit);
    drawText(picture, 10, 22, "2) PIN  9,750,000", 1, lit);
    return picture;
}

Bitmap24 attractInsertCoin(int step, Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawText(picture, kDmdWidth - step * 6, 9, "INSERT COIN", 2, lit);
    return picture;
}

Bitmap24 playerScore(const std::string& points, Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawText(picture, 2, 1, "PLAYER 1", 1, lit);
    drawCentred(picture, 10, points, 2, lit);
    drawText(picture, 2, 25, "BALL 2", 1, lit);
    return picture;
}

Bitmap24 multiball(Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 3, "MULTIBALL", 2, lit);
    for (int x : {52, 64, 76}) drawBall(picture, x, 25, 3, lit);
    return picture;
}

Bitmap24 jackpot(const std::string& points, Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 3, "JACKPOT", 2, lit);
    drawCentred(picture, 23, points, 1, lit);
    return picture;
}

Region jackpotRegion() { return centredTextRegion("JACKPOT", 3, 2); }

Bitmap24 ballSaved(Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawText(picture, 4, 13, "BALL SAVED", 1, lit);
    drawBall(picture, kBallX, kBallY, kBallRadius, lit);
    return picture;
}

Region ballIconRegion() {
    return {kBallX - kBallRadius - 1, kBallY - kBallRadius - 1, kBallX + kBallRadius + 2,
            kBallY + kBallRadius + 2};
}

Bitmap24 extraBall(bool withBallIcon, Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 2, "EXTRA BALL", 1, lit);
    drawCentred(picture, 13, "SHOOT AGAIN", 1, lit);
    if (withBallIcon) drawBall(picture, kBallX, kBallY, kBallRadius, lit);
    return picture;
}

Region extraBallRegion() { return centredTextRegion("EXTRA BALL", 2, 1); }

Bitmap24 gameOver(const std::string& points, Rgb lit) {
    Bitmap24 picture = blankDmd();
    drawCentred(picture, 4, "GAME OVER", 2, lit);
    drawCentred(picture, 23, points, 1, lit);
    return picture;
}

Region gameOverRegion() { return centredTextRegion("GAME OVER", 4, 2); }

std::string withCommas(long long value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) out += ',';
        out += digits[at];
    }
    return out;
}

std::vector<Bitmap24> triggerPictures() {
    std::vector<Bitmap24> pictures;
    pictures.push_back(multiball(kLitDot));
    pictures.push_back(jackpot("2,500,000", kLitDot));
    drawMarkerOutline(pictures.back(), jackpotRegion());
    pictures.push_back(extraBall(false, kLitDot));
    drawMarkerOutline(pictures.back(), extraBallRegion());
    pictures.push_back(ballSaved(kLitDot));
    drawMarkerOutline(pictures.back(), ballIconRegion());
    pictures.push_back(gameOver("1,000,000", kLitDot));
    drawMarkerOutline(pictures.back(), gameOverRegion());
    return pictures;
}

}  // namespace zelk::demo
