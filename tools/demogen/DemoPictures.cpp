#include "DemoPictures.h"

#include <cmath>

#include "DemoPalette.h"

namespace demo {

namespace {

constexpr int kScreenW = 640, kScreenH = 400;

Picture blank(std::string name, int w, int h, uint8_t fill, int x = 0, int y = 0) {
    Picture p;
    p.name = std::move(name);
    p.x = uint16_t(x);
    p.y = uint16_t(y);
    p.width = uint16_t(w);
    p.height = uint16_t(h);
    p.pixels.assign(size_t(w) * size_t(h), fill);
    return p;
}

void put(Picture& p, int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.pixels[size_t(y) * p.width + x] = c;
}

void disc(Picture& p, int cx, int cy, int r, uint8_t c) {
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) put(p, x, y, c);
}

void ellipse(Picture& p, int cx, int cy, int rx, int ry, uint8_t c) {
    for (int y = cy - ry; y <= cy + ry; ++y)
        for (int x = cx - rx; x <= cx + rx; ++x) {
            const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) put(p, x, y, c);
        }
}

void rect(Picture& p, int x0, int y0, int x1, int y1, uint8_t c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) put(p, x, y, c);
}

void verticalRamp(Picture& p, Ramp ramp, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
        for (int x = 0; x < p.width; ++x) put(p, x, y, ramp.at(y - y0, y1 - y0 + 1));
}

// Ground below a wavy skyline, shaded by depth.
void slope(Picture& p, Ramp ramp, int base, double amplitude, double period, double phase) {
    for (int x = 0; x < p.width; ++x) {
        const int top = base + int(std::lround(amplitude * std::sin(x / period + phase)));
        for (int y = top; y < p.height; ++y)
            put(p, x, y, ramp.at(ramp.count - 1 - (y - top) / 4, ramp.count));
    }
}

uint32_t hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

} // namespace

Picture titlePicture() {
    Picture p = blank("TITLE.PIC", kScreenW, kScreenH, 0);
    verticalRamp(p, kNight, 0, kScreenH - 1);
    for (int y = 0; y < 260; ++y)
        for (int x = 0; x < kScreenW; ++x)
            if (hash(x, y) % 700 == 0) put(p, x, y, ui::kCloud);
    disc(p, 520, 80, 40, ui::kGold);
    disc(p, 536, 70, 36, kNight.first + 4); // crescent
    slope(p, Ramp{kGreen.first, 8}, 320, 24, 70, 0.5);
    // Title plate for the script's text.
    rect(p, 200, 150, 439, 229, ui::kWindow);
    rect(p, 200, 150, 439, 151, ui::kFrameLight);
    rect(p, 200, 228, 439, 229, ui::kFrameLight);
    return p;
}

Picture fieldPicture() {
    Picture p = blank("FIELD.PIC", kScreenW, kScreenH, 0);
    verticalRamp(p, kSky, 0, kScreenH - 1);
    disc(p, 90, 70, 36, ui::kGold);
    ellipse(p, 300, 90, 70, 22, ui::kCloud);
    ellipse(p, 350, 75, 50, 20, ui::kCloud);
    ellipse(p, 500, 140, 60, 16, ui::kCloud);
    slope(p, kGreen, 250, 30, 120, 1.0);
    return p;
}

Picture hillPicture() {
    Picture p = blank("HILL.PIC", kScreenW, kScreenH, 0);
    verticalRamp(p, kSunset, 0, kScreenH - 1);
    disc(p, 470, 230, 50, ui::kGold);
    slope(p, Ramp{kSunset.first, 6}, 220, 18, 50, 2.0);
    slope(p, kGreen, 270, 40, 160, 0.2);
    return p;
}

Picture treePicture() {
    Picture p = blank("TREE.PIC", kScreenW, kScreenH, 0);
    verticalRamp(p, kSky, 0, kScreenH - 1);
    slope(p, kGreen, 300, 8, 90, 0.0);
    rect(p, 280, 150, 339, 340, kBrown.first + 12);
    rect(p, 280, 150, 289, 340, kBrown.first + 4);
    disc(p, 310, 110, 90, kGreen.first + 6);
    disc(p, 240, 150, 60, kGreen.first + 10);
    disc(p, 380, 150, 60, kGreen.first + 8);
    disc(p, 300, 80, 50, kGreen.first + 14);
    return p;
}

Picture windowPicture() {
    Picture p = blank("WINDOW.PIC", kWindowW, kWindowH, ui::kWindow, kWindowX, kWindowY);
    rect(p, 0, 0, kWindowW - 1, 1, ui::kFrameLight);
    rect(p, 0, kWindowH - 2, kWindowW - 1, kWindowH - 1, ui::kFrameLight);
    rect(p, 0, 0, 1, kWindowH - 1, ui::kFrameLight);
    rect(p, kWindowW - 2, 0, kWindowW - 1, kWindowH - 1, ui::kFrameLight);
    rect(p, 3, 3, kWindowW - 4, 3, ui::kFrameDark);
    rect(p, 3, kWindowH - 4, kWindowW - 4, kWindowH - 4, ui::kFrameDark);
    rect(p, 3, 3, 3, kWindowH - 4, ui::kFrameDark);
    rect(p, kWindowW - 4, 3, kWindowW - 4, kWindowH - 4, ui::kFrameDark);
    return p;
}

Picture kitePicture() {
    Picture p = blank("KITE.PIC", kKiteW, kKiteH, ui::kKey);
    const int cx = 32, cy = 34, hw = 28, hh = 32;
    for (int y = cy - hh; y <= cy + hh; ++y)
        for (int x = cx - hw; x <= cx + hw; ++x) {
            const int dx = std::abs(x - cx), dy = std::abs(y - cy);
            if (dx * hh + dy * hw > hw * hh) continue;
            const bool left = x < cx, top = y < cy;
            put(p, x, y,
                top ? (left ? ui::kKiteRed : ui::kKiteYellow)
                    : (left ? ui::kKiteBlue : ui::kKiteRed));
        }
    rect(p, cx, cy - hh, cx, cy + hh, ui::kOutline);
    rect(p, cx - hw, cy, cx + hw, cy, ui::kOutline);
    for (int y = cy + hh; y < kKiteH; ++y) {
        const int x = cx + int(std::lround(5 * std::sin((y - cy - hh) / 4.0)));
        put(p, x, y, ui::kOutline);
        if ((y - cy - hh) % 9 == 4) rect(p, x - 3, y - 1, x + 3, y + 1, ui::kKiteRed);
    }
    return p;
}

std::vector<Picture> allPictures() {
    return {titlePicture(), fieldPicture(),  hillPicture(),
            treePicture(),  windowPicture(), kitePicture()};
}

} // namespace demo
