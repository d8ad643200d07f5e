#include "bench/samples.h"

#include <algorithm>
#include <numeric>
#include <vector>

SampleSummary SummarizeSamples(const double* figures, int count) {
    SampleSummary summary = {-1, 0, 0, 0, 0};
    if (!figures || count <= 0) return summary;
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [figures](int a, int b) { return figures[a] < figures[b]; });
    summary.medianIndex = order[static_cast<size_t>((count - 1) / 2)];
    summary.median = figures[summary.medianIndex];
    summary.minimum = figures[order.front()];
    summary.maximum = figures[order.back()];
    if (summary.median > 0)
        summary.spreadPercent = (summary.maximum - summary.minimum) / summary.median * 100;
    return summary;
}
