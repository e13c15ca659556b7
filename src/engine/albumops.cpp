// Album bookkeeping: rows, transition slots and the total length.
#include "albumops.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>

void appendPicture(RenderJob &job, const MaterialItem &item)
{
    const bool hadRows = !job.materialOrder.isEmpty();
    if (!job.materials.contains(item.path))
        job.materials.insert(item.path, item);
    job.materialOrder.append(item.path);
    job.totalDuration +=
        av_rescale_q(job.uniformDurationValue, job.uniformDurationTimeBase, job.totalTimeBase);
    if (hadRows) {
        TransitionSlot slot;
        slot.kind = TransitionPicker::next();
        job.transitions.append(slot);
        job.totalDuration += av_rescale_q(slot.duration, slot.durationTimeBase, job.totalTimeBase);
    }
}

void setUniformDurationSeconds(RenderJob &job, int seconds)
{
    seconds = std::clamp(seconds, 1, 60);
    const int64_t old = job.uniformDurationValue;
    job.uniformDurationValue = av_rescale_q(seconds, {1, 1}, job.uniformDurationTimeBase);
    // Every row counts, so the same picture imported twice moves the total twice.
    job.totalDuration += av_rescale_q((job.uniformDurationValue - old) * job.materialOrder.size(),
                                      job.uniformDurationTimeBase, job.totalTimeBase);
}

void clearAlbum(RenderJob &job)
{
    job.materials.clear();
    job.materialOrder.clear();
    job.transitions.clear();
    job.totalDuration = 0;
    job.playPosition = 0;
}
