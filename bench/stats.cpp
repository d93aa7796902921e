#include "stats.h"

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {

double Quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(at);
    if (below + 1 >= sorted.size()) return sorted.back();
    const double part = at - static_cast<double>(below);
    return sorted[below] + part * (sorted[below + 1] - sorted[below]);
}

}  // namespace

Summary Summarise(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    return {Quantile(samples, 0.5), Quantile(samples, 0.25), Quantile(samples, 0.75)};
}

std::vector<double> PairedRatios(const std::vector<double>& program, const std::vector<double>& reference) {
    std::vector<double> ratios;
    const size_t n = std::min(program.size(), reference.size());
    for (size_t i = 0; i < n; ++i)
        if (reference[i] != 0) ratios.push_back(program[i] / reference[i]);
    return ratios;
}

std::string Format(const Summary& s, int decimals) {
    char text[96];
    std::snprintf(text, sizeof text, "%.*f (%.*f-%.*f)", decimals, s.median, decimals, s.low, decimals,
                  s.high);
    return text;
}

void Gauge::Read(double value) {
    if (!any_) {
        start_ = max_ = value;
        any_ = true;
    }
    end_ = value;
    max_ = std::max(max_, value);
}

}  // namespace bench
