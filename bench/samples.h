// Repeated runs of one benchmark: which sample stands for them, and how far they spread.
#pragma once

struct SampleSummary {
    int medianIndex;  // the sample whose figure is the median; -1 without samples
    double median;
    double minimum;
    double maximum;
    double spreadPercent;  // (maximum - minimum) / median x 100; 0 where the median is 0
};

// The median is a real run's figure, so that its text can be shown: the middle one of the
// sorted figures, the lower middle one for an even count; equal figures keep their order.
SampleSummary SummarizeSamples(const double* figures, int count);
