#include "ui/form_resizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel::ui {
namespace {

// A window of 600 x 400 with a list filling the left half, a notice, and two buttons whose
// edges do not fall on whole pixels when the client shrinks.
const ClientSize kRecorded{600, 400};
const std::vector<ControlLayout> kLayout = {
    {"lstApps", {10, 20, 290, 350}},
    {"picNotice", {320, 40, 200, 90}},
    {"Command1", {333, 371, 75, 23}},
    {"Command2", {417, 371, 75, 23}},
};

std::vector<ControlRect> RectsOf(const std::vector<ControlLayout>& layout) {
    std::vector<ControlRect> rects;
    for (const ControlLayout& control : layout) {
        rects.push_back(control.rect);
    }
    return rects;
}

class Resizer : public ::testing::Test {
protected:
    Resizer() { resizer.InitResizeArray(kLayout, kRecorded); }
    FormResizer resizer;
};

TEST_F(Resizer, PlacesControlsInProportionToADoubledAndAHalvedClient) {
    const auto doubled = resizer.ResizeControls(RectsOf(kLayout), {1200, 800});
    ASSERT_EQ(doubled.size(), kLayout.size());
    for (size_t i = 0; i < kLayout.size(); ++i) {
        const ControlRect& r = kLayout[i].rect;
        EXPECT_EQ(doubled[i], (ControlRect{2 * r.left, 2 * r.top, 2 * r.width, 2 * r.height}))
            << kLayout[i].name;
    }
    const auto halved = resizer.ResizeControls(doubled, {300, 200});
    EXPECT_EQ(halved[0], (ControlRect{5, 10, 145, 175}));
    EXPECT_EQ(halved[1], (ControlRect{160, 20, 100, 45}));
    // Three quarters round to the nearest pixel: 333 x 0.75 = 249.75, 371 x 0.75 = 278.25,
    // 75 x 0.75 = 56.25, 23 x 0.75 = 17.25, 417 x 0.75 = 312.75.
    const auto smaller = resizer.ResizeControls(halved, {450, 300});
    EXPECT_EQ(smaller[2], (ControlRect{250, 278, 56, 17}));
    EXPECT_EQ(smaller[3], (ControlRect{313, 278, 56, 17}));
    // Width and height scale independently.
    const auto wide = resizer.ResizeControls(smaller, {900, 400});
    EXPECT_EQ(wide[1], (ControlRect{480, 40, 300, 90}));
}

TEST_F(Resizer, RestoringTheRecordedSizePutsEveryControlBackExactly) {
    std::vector<ControlRect> rects = RectsOf(kLayout);
    for (ClientSize size : {ClientSize{601, 399}, ClientSize{123, 457}, ClientSize{1, 1},
                            ClientSize{0, 0}, ClientSize{3840, 2160}, ClientSize{599, 401}}) {
        rects = resizer.ResizeControls(rects, size);
    }
    EXPECT_EQ(resizer.ResizeControls(rects, kRecorded), RectsOf(kLayout));
}

TEST_F(Resizer, AnExcludedControlKeepsItsPlaceAndSizeThroughAnyResize) {
    resizer.SetControlProperties("picNotice", false, false);
    std::vector<ControlRect> rects = RectsOf(kLayout);
    for (ClientSize size : {ClientSize{1200, 800}, ClientSize{300, 200}, ClientSize{0, 0},
                            ClientSize{601, 399}, kRecorded}) {
        rects = resizer.ResizeControls(rects, size);
        EXPECT_EQ(rects[1], kLayout[1].rect) << size.width << " x " << size.height;
    }
    // The others still follow.
    EXPECT_EQ(resizer.ResizeControls(rects, {1200, 800})[0], (ControlRect{20, 40, 580, 700}));
}

TEST_F(Resizer, TheFlagsAreSetSeparatelyAndOnlyForTheExactName) {
    resizer.SetControlProperties("command1", false, false);  // no such name: case counts
    resizer.SetControlProperties("Command", false, false);   // nor a prefix
    resizer.SetControlProperties("Command2", false, true);   // resizes where it stands
    resizer.SetControlProperties("lstApps", true, false);    // moves but keeps its size
    const auto rects = resizer.ResizeControls(RectsOf(kLayout), {1200, 800});
    EXPECT_EQ(rects[2], (ControlRect{666, 742, 150, 46}));
    EXPECT_EQ(rects[3], (ControlRect{417, 371, 150, 46}));
    EXPECT_EQ(rects[0], (ControlRect{20, 40, 290, 350}));
}

TEST_F(Resizer, EveryControlOfARepeatedNameIsSet) {
    FormResizer twins;
    twins.InitResizeArray(
        std::vector<ControlLayout>{
            {"Label", {0, 0, 10, 10}}, {"Label", {20, 0, 10, 10}}, {"Other", {40, 0, 10, 10}}},
        {100, 100});
    twins.SetControlProperties("Label", false, false);
    const std::vector<ControlRect> now = {{1, 2, 3, 4}, {5, 6, 7, 8}, {40, 0, 10, 10}};
    const auto rects = twins.ResizeControls(now, {200, 200});
    EXPECT_EQ(rects[0], now[0]);
    EXPECT_EQ(rects[1], now[1]);
    EXPECT_EQ(rects[2], (ControlRect{80, 0, 20, 20}));
}

TEST(ResizerWithoutArea, AZeroSizedClientNeitherDividesByZeroNorLosesTheLayout) {
    // Recorded from an empty client: nothing to scale by, every control stays as it is.
    for (ClientSize empty :
         {ClientSize{0, 0}, ClientSize{0, 400}, ClientSize{600, 0}, ClientSize{-5, 400}}) {
        FormResizer resizer;
        resizer.InitResizeArray(kLayout, empty);
        ASSERT_EQ(resizer.Records().size(), kLayout.size());
        EXPECT_FALSE(resizer.Records()[0].flgMove || resizer.Records()[0].flgResize);
        EXPECT_EQ(resizer.ResizeControls(RectsOf(kLayout), {1200, 800}), RectsOf(kLayout));
    }
    // Resized to nothing (minimised), the controls collapse and come back on restore.
    FormResizer resizer;
    resizer.InitResizeArray(kLayout, kRecorded);
    const auto collapsed = resizer.ResizeControls(RectsOf(kLayout), {0, 0});
    for (const ControlRect& r : collapsed) {
        EXPECT_EQ(r, ControlRect{});
    }
    EXPECT_EQ(resizer.ResizeControls(resizer.ResizeControls(collapsed, {-20, -20}), kRecorded),
              RectsOf(kLayout));
}

TEST(ResizerLists, ControlsBeyondTheRecordedOnesAreGivenBackAsTheyAre) {
    FormResizer resizer;
    EXPECT_TRUE(resizer.ResizeControls({}, {100, 100}).empty());
    resizer.InitResizeArray(std::vector<ControlLayout>{{"Text1", {10, 10, 50, 20}}}, {100, 100});
    const std::vector<ControlRect> now = {{10, 10, 50, 20}, {7, 8, 9, 10}};
    EXPECT_EQ(resizer.ResizeControls(now, {200, 200}),
              (std::vector<ControlRect>{{20, 20, 100, 40}, {7, 8, 9, 10}}));
    // Fewer controls than records: the missing ones are simply not placed.
    EXPECT_EQ(resizer.ResizeControls(std::span<const ControlRect>{}, {200, 200}).size(), 0u);
    // Recording again replaces the old layout.
    resizer.InitResizeArray(std::vector<ControlLayout>{}, {100, 100});
    EXPECT_TRUE(resizer.Records().empty());
}

}  // namespace
}  // namespace kestrel::ui
