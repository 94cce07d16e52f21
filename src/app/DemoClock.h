// The demo clock and the schedule: the demo time of each frame in hundredths of a second since
// the first frame, and the schedule entry that time selects.
#pragma once

#include <array>
#include <cstdint>

// A millisecond counter read as unsigned 32 bits; it may wrap. The window layer supplies the
// system's counter, tests a counter of their own.
using MillisecondCounter = std::uint32_t (*)(void* context);

// One row of the schedule: times strictly above `threshold` (hundredths of a second) select
// `entry`, until a later row's threshold is passed.
struct ScheduleRow {
    std::uint32_t threshold;
    int entry;
};

// The schedule, thresholds strictly increasing. Entry 22 ends the demo.
extern const std::array<ScheduleRow, 80> kSchedule;

// The entry for demo time t: that of the last row whose threshold is below t, 0 when t ≤ 750.
// A time equal to a threshold still belongs to the previous row.
int SelectEntry(std::uint32_t time);

class DemoClock {
public:
    DemoClock(MillisecondCounter counter, void* context) : counter(counter), context(context) {}

    // Runs at the start of every frame: takes clockStart from the counter on the first call (a
    // stored 0 means "not taken yet"), then sets demoTime = (now − clockStart) / 10 in unsigned
    // 32-bit arithmetic, so one wrap of the counter between the two readings is harmless.
    void Step();

    std::uint32_t clockStart = 0;
    std::uint32_t demoTime = 0;

private:
    MillisecondCounter counter;
    void* context;
};
