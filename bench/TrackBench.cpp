// Evaluation cost of 64-key rotation and position tracks over their whole time range.
#include "anim/Track.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kKeyCount = 64;
constexpr float kKeySpacing = 5.0f; // frames between keys: the track spans 0..315
constexpr int kEvaluations = 10000;

// Deterministic key data in the ranges a scene file holds: TCB within ±0.5, ease lengths ≤ 0.3.
float Wave(int i, float phase) {
    return std::sin(0.7f * static_cast<float>(i) + phase);
}

PositionTrack MakePositionTrack() {
    PositionTrack track;
    for (int i = 0; i < kKeyCount; ++i) {
        VectorKey k;
        k.time = kKeySpacing * static_cast<float>(i);
        k.value = {100.0f * Wave(i, 0.0f), 50.0f * Wave(i, 1.0f), 80.0f * Wave(i, 2.0f)};
        k.tension = 0.5f * Wave(i, 3.0f);
        k.bias = 0.5f * Wave(i, 4.0f);
        k.continuity = 0.5f * Wave(i, 5.0f);
        k.easeFrom = 0.15f + 0.15f * Wave(i, 6.0f);
        k.easeTo = 0.15f + 0.15f * Wave(i, 7.0f);
        track.keys.push_back(k);
    }
    track.PrepareKeys();
    return track;
}

// Relative rotations of up to about 1 radian about varying unit axes; every eighth key turns
// 1 to 2 whole revolutions so that the constant-rate path is exercised alongside squad.
RotationTrack MakeRotationTrack() {
    RotationTrack track;
    for (int i = 0; i < kKeyCount; ++i) {
        RotationKey k;
        k.time = kKeySpacing * static_cast<float>(i);
        const Vector3 a(Wave(i, 0.3f), Wave(i, 1.3f), Wave(i, 2.3f) + 1.5f);
        const float length = Vector3Length(a);
        k.axis = {a.x / length, a.y / length, a.z / length};
        k.angle = Wave(i, 3.3f);
        if (i % 8 == 7) {
            k.angle = std::fabs(k.angle) + 6.2831855f * static_cast<float>(1 + (i / 8) % 2);
        }
        k.tension = 0.5f * Wave(i, 4.3f);
        k.bias = 0.5f * Wave(i, 5.3f);
        k.continuity = 0.5f * Wave(i, 6.3f);
        k.easeFrom = 0.15f + 0.15f * Wave(i, 7.3f);
        k.easeTo = 0.15f + 0.15f * Wave(i, 8.3f);
        track.keys.push_back(k);
    }
    track.PrepareKeys();
    return track;
}

// Times spread evenly over the keys' range, first to last key.
float SampleTime(int j) {
    return kKeySpacing * static_cast<float>(kKeyCount - 1) * static_cast<float>(j) /
           static_cast<float>(kEvaluations - 1);
}

void BM_PositionTrackEvaluate(benchmark::State& state) {
    const PositionTrack track = MakePositionTrack();
    for (auto _ : state) {
        for (int j = 0; j < kEvaluations; ++j) {
            benchmark::DoNotOptimize(track.Evaluate(SampleTime(j)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kEvaluations);
}
BENCHMARK(BM_PositionTrackEvaluate);

void BM_RotationTrackEvaluate(benchmark::State& state) {
    const RotationTrack track = MakeRotationTrack();
    for (auto _ : state) {
        for (int j = 0; j < kEvaluations; ++j) {
            benchmark::DoNotOptimize(track.Evaluate(SampleTime(j)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kEvaluations);
}
BENCHMARK(BM_RotationTrackEvaluate);

// The matrix form the hierarchy walk calls, for comparison with the bare quaternion.
void BM_RotationTrackGetMatrix(benchmark::State& state) {
    const RotationTrack track = MakeRotationTrack();
    for (auto _ : state) {
        for (int j = 0; j < kEvaluations; ++j) {
            benchmark::DoNotOptimize(track.GetMatrix(SampleTime(j)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kEvaluations);
}
BENCHMARK(BM_RotationTrackGetMatrix);

} // namespace
