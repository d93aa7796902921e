#include "stats.h"

#include <gtest/gtest.h>

namespace {

TEST(SummaryTest, MedianAndQuartilesInterpolateBetweenSortedSamples) {
    const struct {
        std::vector<double> samples;
        double median, low, high;
    } cases[] = {
        {{}, 0, 0, 0},
        {{7}, 7, 7, 7},
        {{4, 1, 3, 2}, 2.5, 1.75, 3.25},
        {{10, 50, 20, 40, 30}, 30, 20, 40},
        {{5, 1, 100, 2, 3, 4, 6, 7, 8, 9, 1000}, 6, 3.5, 8.5},
    };
    for (const auto& c : cases) {
        const bench::Summary s = bench::Summarise(c.samples);
        EXPECT_DOUBLE_EQ(s.median, c.median) << c.samples.size() << " samples";
        EXPECT_DOUBLE_EQ(s.low, c.low) << c.samples.size() << " samples";
        EXPECT_DOUBLE_EQ(s.high, c.high) << c.samples.size() << " samples";
    }
}

TEST(SummaryTest, RatiosPairRunByRunAndSkipAZeroReference) {
    EXPECT_EQ(bench::PairedRatios({10, 30, 8, 5}, {5, 10, 0, 10}), (std::vector<double>{2, 3, 0.5}));
    // Extra runs on either side have no partner.
    EXPECT_EQ(bench::PairedRatios({1, 2, 3}, {1}), (std::vector<double>{1}));
    EXPECT_EQ(bench::Format(bench::Summarise({1.0, 1.5, 2.0}), 2), "1.50 (1.25-1.75)");
}

TEST(GaugeTest, GrowthIsTheEndOverTheStartBeyondTheTolerance) {
    bench::Gauge g;
    for (double v : {100.0, 140.0, 90.0, 104.0}) g.Read(v);
    EXPECT_EQ(g.Start(), 100);
    EXPECT_EQ(g.End(), 104);
    EXPECT_EQ(g.Max(), 140);  // a peak that went away again is not growth
    EXPECT_FALSE(g.Grew(4));
    EXPECT_TRUE(g.Grew(3.5));
    bench::Gauge shrinking;
    for (double v : {50.0, 10.0}) shrinking.Read(v);
    EXPECT_FALSE(shrinking.Grew(0));
}

}  // namespace
