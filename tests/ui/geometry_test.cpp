// The banner geometry as plain functions: the two worked sizes, and the font and icon sums.
#include <gtest/gtest.h>

#include "ui/painting.h"
#include "worked_sizes.h"

namespace {

::testing::AssertionResult Same(const char* what, POINT got, POINT want) {
    if (got.x == want.x && got.y == want.y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << " at (" << got.x << ", " << got.y << "), want (" << want.x
                                         << ", " << want.y << ")";
}

::testing::AssertionResult Same(const char* what, RECT got, RECT want) {
    if (EqualRect(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << " (" << got.left << ", " << got.top << ")-(" << got.right << ", "
                                         << got.bottom << "), want (" << want.left << ", " << want.top << ")-("
                                         << want.right << ", " << want.bottom << ")";
}

}  // namespace

TEST(BannerGeometry, WorkedSizes) {
    for (const WorkedSize& c : kWorkedSizes) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const painting::MainLayout l = painting::LayOutMain(c.w, c.h);
        EXPECT_TRUE(Same("band", l.band, c.band));
        EXPECT_TRUE(Same("banner text", l.bannerText, c.bannerText));
        EXPECT_TRUE(Same("vendor name", l.vendorName, c.vendorName));
        EXPECT_TRUE(Same("vendor line", l.vendorLine, c.vendorLine));
        EXPECT_TRUE(Same("drop hint", l.dropHint, c.dropHint));
        EXPECT_TRUE(Same("logo", l.logo, c.logo));
    }
}

TEST(BannerGeometry, FontHeightsRoundToNearestPixel) {
    struct {
        int tenths, dpi, height;
    } const cases[] = {
        {180, 96, -24}, {120, 96, -16}, {100, 96, -13},   // 13.33 rounds down
        {180, 120, -30}, {120, 120, -20}, {100, 120, -17},  // 16.67 rounds up
        {100, 144, -20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(painting::FontHeight(c.tenths, c.dpi), c.height) << c.tenths << " tenths at " << c.dpi << " dpi";
}

TEST(BannerGeometry, MinimisedIconIsCentred) {
    struct {
        int cw, ch, iw, ih;
        POINT at;
    } const cases[] = {
        {160, 28, 32, 32, {64, -1}},  // taller than the client: the division truncates towards zero
        {33, 33, 32, 32, {1, 1}},     // the odd pixel goes to the left and top
        {32, 32, 32, 32, {0, 0}},
        {100, 50, 48, 48, {26, 1}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Same("icon", painting::CentredIconOrigin(c.cw, c.ch, c.iw, c.ih), c.at))
            << c.cw << " x " << c.ch << " client, " << c.iw << " x " << c.ih << " icon";
}
