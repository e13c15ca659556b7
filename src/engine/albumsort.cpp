// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting an album's rows.
#include "albumsort.h"

#include "folderwalk.h"

#include <algorithm>
#include <numeric>
#include <vector>

AlbumChange sortPictures(Album &job, PictureOrder order, bool bSelfAdaptingRatio, int iFromIndex)
{
    AlbumChange change;
    const int n = job.materialOrder.size();
    const int from = std::clamp(iFromIndex, 0, n);
    std::vector<int> rows(size_t(n - from));
    std::iota(rows.begin(), rows.end(), from);
    auto factsOf = [&job](int row) { return job.materials.value(job.materialOrder[row]).facts; };
    switch (order) {
    case PictureOrder::DateTaken:
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return takenBefore(job.materialOrder[a], factsOf(a), job.materialOrder[b], factsOf(b));
        });
        break;
    case PictureOrder::Name:
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return nameBefore(job.materialOrder[a], job.materialOrder[b]);
        });
        break;
    case PictureOrder::Reverse:
        std::reverse(rows.begin(), rows.end());
        break;
    }
    if (std::is_sorted(rows.begin(), rows.end()))
        return change;

    // A picture's own settings go with it; the slots' kinds stay by place, as a drag leaves them.
    while (job.pictureOptions.size() < n)
        job.pictureOptions.append(PictureOptions());
    const QList<QString> oldOrder = job.materialOrder;
    const QList<PictureOptions> oldOptions = job.pictureOptions;
    for (int i = from; i < n; ++i) {
        job.materialOrder[i] = oldOrder[rows[size_t(i - from)]];
        job.pictureOptions[i] = oldOptions[rows[size_t(i - from)]];
    }
    const int64_t oldTotal = job.totalDuration;
    job.totalDuration = job.computeTotalDuration();
    change.totalChanged = job.totalDuration != oldTotal;
    change.coverChanged = from == 0 && rows.front() != 0;
    if (bSelfAdaptingRatio)
        applySelfAdaptingRatio(job);
    job.updateWidth();
    return change;
}
