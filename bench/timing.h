#pragma once
// The benchmark's clock: one figure is the median of repeated runs.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

class Stopwatch {
public:
    void Start() { start_ = Clock::now(); }
    // Milliseconds since Start.
    double Stop() const { return std::chrono::duration<double, std::milli>(Clock::now() - start_).count(); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now();
};

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

// `run` returns the milliseconds of one run (so it can leave its set-up untimed).
inline double MedianOf(int repetitions, const std::function<double()>& run) {
    std::vector<double> samples;
    for (int i = 0; i < repetitions; ++i) samples.push_back(run());
    return Median(samples);
}
