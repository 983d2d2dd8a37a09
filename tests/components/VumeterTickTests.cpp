// The meter's animation, tick by tick: rise, fall and peak.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VumeterFixture.h"

using namespace forms;
using namespace vumetertest;

namespace {

TEST_F(VumeterTest, Value15RisesOneSegmentPerTickAndFallsOnTheTickItCompletes) {
    meter->SetValue(15);
    EXPECT_EQ(Bar(), "...............");  // a write alone shows nothing
    ExpectFrames({{1, "g.............."},
                  {2, "gg............."},
                  {9, "ggggggggg......"},
                  {10, "gggggggggg....."},
                  {11, "ggggggggggy...."},
                  {13, "ggggggggggyyy.."},
                  {14, "ggggggggggyyyy."}});
    RunTo(15);
    // The rise completes with the peak on segment 14, and the fall step of the
    // same tick already takes the bar down to 14: segment 14 is the red marker.
    EXPECT_EQ(Bar(), "ggggggggggyyyyr");
    EXPECT_EQ(V::Level(*meter), 14);
    EXPECT_EQ(V::Peak(*meter), 14);
    ExpectFrames({{17, "ggggggggggyyyyr"},
                  {18, "ggggggggggyyy.r"},
                  {24, "ggggggggggy...r"},
                  // The peak steps to 13 at tick 25 but shows only at the next fall step.
                  {25, "ggggggggggy...r"},
                  {27, "gggggggggg...y."},
                  // The bar falls to 0, not to Value.
                  {57, "............y.."},
                  {74, "............y.."},
                  // Peak step and fall step in one tick: the fall shows the new marker.
                  {75, "...........y..."},
                  {349, ".g............."},
                  {350, ".g............."}});
    EXPECT_EQ(V::Peak(*meter), 0);
    EXPECT_NE(V::FallPeriod(*meter), 0);
    // The first fall step after the marker reaches 0 darkens everything and stops.
    RunTo(351);
    EXPECT_EQ(Bar(), "...............");
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    EXPECT_NE(V::PeakPeriod(*meter), 0);
    // The next peak step finds the peak at 0 and stops the descent.
    RunTo(374);
    EXPECT_FALSE(Idle());
    RunTo(375);
    EXPECT_TRUE(Idle());
    RunTo(1000);
    EXPECT_EQ(Bar(), "...............");
}

TEST_F(VumeterTest, APeakStepCanComeOnTheTickAfterTheRiseCompletes) {
    // After a long idle the peak counter is far past its period; arming does not reset it.
    RunTo(30);
    meter->SetValue(3);
    ExpectFrames({{31, "g.............."},
                  {32, "gg............."},
                  {33, "ggg............"}});  // level 2 after the same-tick fall, marker 2
    RunTo(34);
    EXPECT_EQ(V::Peak(*meter), 1);
    // Later peak steps come every 25 ticks: the marker reaches 0 at tick 59.
    ExpectFrames({{36, "gg............."}, {39, ".g............."}, {57, ".g............."}, {60, "..............."}});
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    RunTo(83);
    EXPECT_FALSE(Idle());
    RunTo(84);
    EXPECT_TRUE(Idle());
}

TEST_F(VumeterTest, Value1LightsOnlySegment0AndReturnsToIdle) {
    meter->SetValue(1);
    ExpectFrames({{1, "g.............."}, {2, "g.............."}, {3, "..............."}});
    EXPECT_EQ(V::Peak(*meter), 0);
    EXPECT_EQ(V::FallPeriod(*meter), 0);
    RunTo(25);
    EXPECT_TRUE(Idle());
    RunTo(200);
    EXPECT_EQ(Bar(), "...............");
}

TEST_F(VumeterTest, ALowerValueMovesThePeakToTheTopLitSegmentAndTheFallGoesOn) {
    meter->SetValue(10);
    // Tick 10 completes the rise (peak 9) and falls to 9: segments 0..9 lit.
    ExpectFrames({{10, "gggggggggg....."}, {12, "gggggggggg....."}});
    meter->SetValue(4);
    RunTo(13);
    EXPECT_EQ(V::Level(*meter), 8);
    EXPECT_EQ(V::Peak(*meter), 8);
    EXPECT_EQ(Bar(), "ggggggggg......");
    // Below the new Value and on to 0; the peak stepped to 7 at tick 25.
    ExpectFrames({{28, "ggg....g......."}, {37, ".......g......."}});
}

TEST_F(VumeterTest, AValueWrittenDuringARiseChangesOnlyItsTarget) {
    meter->SetValue(10);
    RunTo(4);
    ASSERT_EQ(Bar(), "gggg...........");
    meter->SetValue(6);
    ExpectFrames({{5, "ggggg.........."}, {6, "gggggg........."}});
    EXPECT_EQ(V::Peak(*meter), 5);
    EXPECT_EQ(V::RisePeriod(*meter), 0);

    // The fall armed by the first rise stays armed: at tick 9 the rise step and
    // then the fall step run, and the bar stands still for that tick.
    meter->SetValue(9);
    RunTo(7);
    EXPECT_EQ(V::Level(*meter), 6);  // climbs from where the fall left it
    ExpectFrames({{8, "ggggggg........"}, {9, "ggggggg........"}, {10, "gggggggg......."}, {11, "ggggggggg......"}});
    EXPECT_EQ(V::Peak(*meter), 8);
}

TEST_F(VumeterTest, AZeroOrNegativeValueLeavesTheFallArmedUntilAPositiveRise) {
    for (int32_t value : {0, -5}) {
        SCOPED_TRACE(value);
        const uint64_t t0 = backend.Now();
        meter->SetValue(value);
        RunTo(t0 + 1);
        EXPECT_EQ(Bar(), "...............");
        EXPECT_EQ(V::Level(*meter), 0);
        EXPECT_EQ(V::Peak(*meter), -1);
        EXPECT_NE(V::FallPeriod(*meter), 0);
        RunTo(t0 + 200);
        // The peak keeps going down and the fall keeps re-showing a dark bar.
        EXPECT_LT(V::Peak(*meter), -1);
        EXPECT_NE(V::FallPeriod(*meter), 0);
        EXPECT_EQ(Bar(), "...............");

        // The still-armed fall takes a segment back on one of the rising ticks,
        // so the rise needs a fourth tick to reach 3.
        meter->SetValue(3);
        RunTo(t0 + 203);
        EXPECT_LT(V::Peak(*meter), 0);
        RunTo(t0 + 204);
        EXPECT_EQ(V::Peak(*meter), 2);
        RunTo(t0 + 300);
        EXPECT_TRUE(Idle());
        EXPECT_EQ(V::Peak(*meter), 0);
        EXPECT_EQ(Bar(), "...............");
    }
}

TEST_F(VumeterTest, AValueAbove15CountsAs15) {
    meter->SetValue(40);
    ExpectFrames({{14, "ggggggggggyyyy."}, {15, "ggggggggggyyyyr"}, {16, "ggggggggggyyyyr"}, {18, "ggggggggggyyy.r"}});
    EXPECT_EQ(V::Peak(*meter), 14);
}

}  // namespace
