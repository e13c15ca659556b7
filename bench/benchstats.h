#pragma once

#include <algorithm>
#include <vector>

// The middle of a benchmark's timed rounds (the upper one of two): steadier than the mean
// against a round disturbed by the machine.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
