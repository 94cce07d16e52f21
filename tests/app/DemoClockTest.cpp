// Demo clock step over a driven millisecond counter, and the schedule's entry for each time.
#include "app/DemoClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Each interval (after, upTo] of demo times and the entry it selects, as the schedule is
// published; the first interval starts at 0 inclusive.
struct Interval {
    std::int64_t after;
    std::int64_t upTo;
    int entry;
};
constexpr std::int64_t kNoEnd = std::numeric_limits<std::uint32_t>::max();

const Interval kIntervals[] = {
    {-1, 750, 0},        {750, 1550, 1},     {1550, 2300, 2},    {2300, 3000, 18},
    {3000, 4600, 5},     {4600, 5300, 3},    {5300, 5400, 7},    {5400, 5500, 3},
    {5500, 5600, 7},     {5600, 5700, 3},    {5700, 5800, 7},    {5800, 5900, 3},
    {5900, 6000, 7},     {6000, 6100, 9},    {6100, 6200, 3},    {6200, 6300, 7},
    {6300, 6400, 9},     {6400, 6500, 3},    {6500, 6600, 7},    {6600, 6700, 9},
    {6700, 6800, 3},     {6800, 6900, 7},    {6900, 7000, 9},    {7000, 7100, 11},
    {7100, 7200, 3},     {7200, 7300, 7},    {7300, 7400, 9},    {7400, 7500, 11},
    {7500, 7600, 3},     {7600, 7700, 7},    {7700, 7800, 9},    {7800, 8000, 11},
    {8000, 9000, 12},    {9000, 9100, 13},   {9100, 9200, 11},   {9200, 9300, 13},
    {9300, 9400, 11},    {9400, 9500, 13},   {9500, 9600, 11},   {9600, 9700, 13},
    {9700, 9800, 11},    {9800, 9900, 13},   {9900, 10000, 11},  {10000, 10100, 14},
    {10100, 10200, 13},  {10200, 10300, 11}, {10300, 10400, 14}, {10400, 10500, 13},
    {10500, 10600, 11},  {10600, 10700, 14}, {10700, 10800, 13}, {10800, 10900, 11},
    {10900, 11000, 16},  {11000, 11100, 15}, {11100, 11200, 13}, {11200, 11300, 11},
    {11300, 11400, 18},  {11400, 11500, 15}, {11500, 11600, 13}, {11600, 11700, 11},
    {11700, 11800, 16},  {11800, 12000, 15}, {12000, 12100, 14}, {12100, 12200, 17},
    {12200, 12300, 15},  {12300, 12400, 17}, {12400, 12500, 16}, {12500, 12600, 17},
    {12600, 12700, 15},  {12700, 12800, 17}, {12800, 12900, 16}, {12900, 13000, 17},
    {13000, 13100, 15},  {13100, 13200, 17}, {13200, 13300, 14}, {13300, 13400, 17},
    {13400, 13500, 16},  {13500, 14500, 19}, {14500, 15200, 20}, {15200, 16100, 21},
    {16100, kNoEnd, 22},
};

TEST(ScheduleTest, EveryIntervalSelectsItsEntryAtBothEnds) {
    for (const Interval& interval : kIntervals) {
        const auto first = static_cast<std::uint32_t>(interval.after + 1);
        const auto last = static_cast<std::uint32_t>(interval.upTo);
        EXPECT_EQ(SelectEntry(first), interval.entry) << "time " << first;
        EXPECT_EQ(SelectEntry(last), interval.entry) << "time " << last;
        EXPECT_EQ(SelectEntry(first + (last - first) / 2), interval.entry);
    }
}

TEST(ScheduleTest, BoundariesBelongToThePreviousRow) {
    struct Case {
        std::uint32_t time;
        int entry;
    } cases[] = {
        {0, 0},      {750, 0},    {751, 1},    {16100, 21}, {16101, 22},
        {11350, 18}, {2301, 18},  {3000, 18},  {8001, 12},  {9000, 12},
        {9001, 13},  {13501, 19}, {14500, 19}, {5000, 3},   {0xFFFFFFFFu, 22},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectEntry(c.time), c.entry) << "time " << c.time;
    }
}

TEST(ScheduleTest, ThresholdsStrictlyIncreaseAndUnusedEntriesNeverOccur) {
    for (std::size_t i = 1; i < kSchedule.size(); ++i) {
        EXPECT_LT(kSchedule[i - 1].threshold, kSchedule[i].threshold) << "row " << i;
    }
    for (const ScheduleRow& row : kSchedule) {
        EXPECT_TRUE(row.entry != 4 && row.entry != 6 && row.entry != 8 && row.entry != 10);
        EXPECT_GE(row.entry, 1);
        EXPECT_LE(row.entry, 22);
    }
}

// A counter that returns the queued readings in order, then repeats the last one.
struct ScriptedCounter {
    std::vector<std::uint32_t> readings;
    std::size_t next = 0;
    int reads = 0;

    static std::uint32_t Read(void* context) {
        auto* self = static_cast<ScriptedCounter*>(context);
        ++self->reads;
        const std::uint32_t value = self->readings[std::min(self->next, self->readings.size() - 1)];
        ++self->next;
        return value;
    }
};

TEST(DemoClockTest, FirstFrameTakesTheStartAndHasTimeZero) {
    ScriptedCounter counter{{123456, 123456, 123465, 123466, 131000}};
    DemoClock clock(&ScriptedCounter::Read, &counter);

    clock.Step();
    EXPECT_EQ(clock.clockStart, 123456u);
    EXPECT_EQ(clock.demoTime, 0u);
    EXPECT_EQ(counter.reads, 2);

    clock.Step(); // 9 ms later: truncates to 0 hundredths
    EXPECT_EQ(clock.demoTime, 0u);
    clock.Step(); // 10 ms later
    EXPECT_EQ(clock.demoTime, 1u);
    clock.Step();
    EXPECT_EQ(clock.demoTime, (131000u - 123456u) / 10u);
    EXPECT_EQ(clock.clockStart, 123456u);
    EXPECT_EQ(counter.reads, 5); // the start is read once only
}

TEST(DemoClockTest, CounterWrapBetweenStartAndNowKeepsElapsedTime) {
    const std::uint32_t start = 0xFFFFFF00u;
    ScriptedCounter counter{{start, start, 0x00000064u}};
    DemoClock clock(&ScriptedCounter::Read, &counter);
    clock.Step();
    clock.Step();
    // 0x100 ms up to the wrap plus 0x64 ms after it.
    EXPECT_EQ(clock.demoTime, (0x100u + 0x64u) / 10u);
}

TEST(DemoClockTest, StalledFrameSkipsEntriesWithoutVisitingThem) {
    ScriptedCounter counter{{1000, 1000, 1000 + 95000}};
    DemoClock clock(&ScriptedCounter::Read, &counter);
    clock.Step();
    EXPECT_EQ(SelectEntry(clock.demoTime), 0);
    clock.Step();
    EXPECT_EQ(clock.demoTime, 9500u);
    EXPECT_EQ(SelectEntry(clock.demoTime), 13);
}

} // namespace
