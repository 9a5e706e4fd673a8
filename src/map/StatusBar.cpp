#include "map/StatusBar.h"

#include "core/ScriptRegisters.h"
#include "map/PlaneCopy.h"

namespace fer {

void StatusBar::restoreUnder() {
    copyPlaneRect(planes_[kSavePlane], 0, 0, PlaneSet::kWidth, kSavedRows, planes_[0], 0,
                  kSavedTop);
}

void StatusBar::part(int sx, int sy, int w, int h, int dx, int dy) {
    copyPlaneRect(planes_[kPartsPlane], sx, sy, w, h, planes_[0], dx, dy);
}

void StatusBar::draw() {
    copyPlaneRect(planes_[0], 0, kSavedTop, PlaneSet::kWidth, kSavedRows, planes_[kSavePlane], 0,
                  0);
    const int D = memory_.reg16(reg16::kStatusDate);
    const int T = memory_.reg16(reg16::kStatusTime);
    const int M = memory_.reg16(reg16::kStatusAmount);
    const int E = memory_.reg16(reg16::kStatusDayIcon);
    const int W = memory_.flag(flag::kWeather);

    part(0, 80, 88, 80, 8, 8);                            // frame left
    part(92, 80, 88, 80, 544, 8);                         // frame right
    part(D / 100 == 12 ? 546 : 570, 144, 24, 36, 12, 12); // month icon
    // Day icon: day 0 (no date) has no icon; its source lies left of the sheet.
    const int d = D % 100;
    const int k = d <= 10 ? d - 1 : d - 9;
    if (k >= 0) part(432 + 38 * (k % 5), 36 * (k / 5), 38, 36, 36, 12);
    // Day mark.
    int mx = 608, my = 180;
    if (d == 1) {
        mx = 594, my = 144;
    } else if (d == 23) {
        mx = 608, my = 144;
    } else if (E != 0) {
        mx = 622, my = 36 * E - 36;
    }
    part(mx, my, 14, 36, 78, 12);
    part(T / 1200 == 1 ? 326 : 312, 132, 14, 32, 12, 51); // half-day mark
    int h = T / 100;
    if (h > 12) h -= 12;
    if (h > 9) {
        part(342, 80, 4, 28, 32, 54); // hour tens
        h -= 10;
    }
    part(198 + 14 * h, 80, 14, 28, 38, 54);
    part(198 + 14 * ((T % 100) / 10), 80, 14, 28, 60, 54);
    part(198 + 14 * (T % 10), 80, 14, 28, 76, 54);
    auto digit = [&](int value, int dx) { part(208 + 12 * value, 108, 12, 24, dx, 56); };
    if (M >= 10000) digit(M / 10000 % 10, 562);
    if (M >= 1000) digit(M / 1000 % 10, 574);
    if (M >= 100) digit(M / 100 % 10, 590);
    if (M >= 10) digit(M / 10 % 10, 602);
    if (M >= 1000) part(328, 108, 4, 24, 586, 58); // thousands separator
    digit(M % 10, 614);
    if (W == 0)
        part(448, 216, 80, 36, 548, 12);
    else if (W == 6)
        part(448, 252, 80, 36, 548, 12);
    else
        part(528, 36 * (W + 5), 80, 36, 548, 12);
}

} // namespace fer
