// Figures of repeated runs as the bench prints them: a median with its
// interquartile range, ratios of paired runs, and the growth a soak tolerates.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double low = 0;   // first quartile
    double high = 0;  // third quartile
};

// Quartiles by linear interpolation between the sorted samples; all zero when there are none.
Summary Summarise(std::vector<double> samples);

// Run by run, program / reference (runs alternate, so each pair shares the
// machine's load of that moment). A zero reference gives no ratio.
std::vector<double> PairedRatios(const std::vector<double>& program, const std::vector<double>& reference);

// "1.23 (1.20-1.31)": a summary with `decimals` places.
std::string Format(const Summary& s, int decimals);

// A counter watched over a soak: its first reading, its last and its largest.
class Gauge {
public:
    void Read(double value);
    double Start() const { return start_; }
    double End() const { return end_; }
    double Max() const { return max_; }
    // The end above the start by more than `tolerance`.
    bool Grew(double tolerance) const { return end_ - start_ > tolerance; }

private:
    bool any_ = false;
    double start_ = 0, end_ = 0, max_ = 0;
};

}  // namespace bench
