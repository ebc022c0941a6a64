// Where the views may go: below the toolbar, moved by the caption strip
// within the main window, and never smaller than their minimum.
#include "views/view_frame.h"

#include <gtest/gtest.h>

#include "app/frame_logic.h"

namespace lumo {
namespace {

TEST(ViewFrame, AViewAboveTheToolbarIsPushedDownAndShortened) {
    // Toolbar 30 high: the highest top is 30, the first row below it.
    EXPECT_EQ(kept_below_toolbar({5, 10, 200, 300}, 30), (Rect{5, 30, 200, 280}));
    EXPECT_EQ(kept_below_toolbar({5, 40, 200, 300}, 30), (Rect{5, 40, 200, 300}));
    // A view far above keeps no negative height.
    EXPECT_EQ(kept_below_toolbar({0, -500, 200, 100}, 30), (Rect{0, 30, 200, 0}));
    // Where both arrangements put the views, right below the toolbar, they stay whole.
    for (const std::uint8_t mode : {arrangement::side_by_side, arrangement::one_upon_the_other}) {
        const auto placed = view_placement(mode, 1001, 601, 30);
        ASSERT_TRUE(placed);
        EXPECT_EQ(kept_below_toolbar(placed->overview, 30), placed->overview) << int{mode};
        EXPECT_EQ(kept_below_toolbar(placed->data_view, 30), placed->data_view) << int{mode};
    }
}

TEST(ViewFrame, MovingByTheCaptionKeepsACaptionHeightInsideAndStaysBelowTheToolbar) {
    // Main client 800 x 600, toolbar 30, caption 18; pressed at (50, 5).
    const ViewPoint press{50, 5};
    EXPECT_EQ(moved_view_origin({250, 105}, press, 30, 18, 800, 600), (ViewPoint{200, 100}));
    // Not above the toolbar, not left of the client area.
    EXPECT_EQ(moved_view_origin({20, 10}, press, 30, 18, 800, 600), (ViewPoint{0, 30}));
    // Not so far right or down that less than a caption height stays inside.
    EXPECT_EQ(moved_view_origin({5000, 5000}, press, 30, 18, 800, 600), (ViewPoint{782, 582}));
    // A main window smaller than the toolbar still lets the caption be reached.
    EXPECT_EQ(moved_view_origin({0, 0}, press, 30, 18, 10, 20), (ViewPoint{-8, 2}));
}

TEST(ViewFrame, MinimumSizeIsAHundredWideAndThreeCaptionsAndFourLinesHigh) {
    EXPECT_EQ(view_minimum_size(18, 16), (ViewMinimum{100, 3 * 18 + 4 * 16}));
}

}  // namespace
}  // namespace lumo
