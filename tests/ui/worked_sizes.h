// The two worked client sizes of the main window's banner and where everything lands; the
// second shows every fraction rounding down.
#pragma once

#include <windows.h>

struct WorkedSize {
    int w, h;
    RECT band;
    POINT bannerText, vendorName, vendorLine, dropHint;
    RECT logo;
};

inline const WorkedSize kWorkedSizes[] = {
    {800, 600, {0, 0, 800, 96}, {24, 36}, {664, 72}, {384, 576}, {16, 96}, {664, 6, 728, 70}},
    {617, 555, {0, 0, 617, 88}, {18, 33}, {512, 66}, {296, 532}, {12, 88}, {512, 5, 576, 69}},
};
