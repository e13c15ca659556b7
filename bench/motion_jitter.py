#!/usr/bin/env python3
"""Jitter of a moving bright disc in raw 8-bit grey frames (plain Python, no extra packages).

usage: motion_jitter.py WIDTH HEIGHT FRAMES.gray [LABEL]

Tracks the disc's intensity-weighted centroid per frame, takes the path's second difference
(px/frame^2) and removes its 15-frame centred moving average, so the deliberate, eased motion
drops out and what is left is frame-to-frame wobble: sub-pixel placement shows near 0, motion
snapped to whole pixels about 0.3 and more.
"""
import math
import sys

WINDOW = 32  # px around the brightest pixel: the disc (radius about 13 px at 720p) and a margin
EDGE = 3  # px beyond the half-contrast radius: the soft edge and the scaler's ringing
SMOOTH = 15  # frames in the centred moving average taken off the second difference


def centroid(frame, width, height):
    """The disc's centre in pixels, or None when no disc stands out of the background."""
    peak = max(frame)
    at = frame.index(peak)
    cx, cy = at % width, at // width
    x0, x1 = max(0, cx - WINDOW), min(width - 1, cx + WINDOW)
    y0, y1 = max(0, cy - WINDOW), min(height - 1, cy + WINDOW)
    # The window's border is background only; its median is robust to a clipped disc edge.
    border = []
    for y in (y0, y1):
        border.extend(frame[y * width + x0:y * width + x1 + 1])
    for y in range(y0 + 1, y1):
        border.append(frame[y * width + x0])
        border.append(frame[y * width + x1])
    border.sort()
    background = border[len(border) // 2]
    if peak - background < 64:
        return None
    # Below half the disc's contrast is compression noise, not disc: a first, rough centre.
    threshold = background + (peak - background) / 2.0
    n = sw = sx = sy = 0.0
    for y in range(y0, y1 + 1):
        row = frame[y * width + x0:y * width + x1 + 1]
        for i, v in enumerate(row):
            if v >= threshold:
                n += 1
                sw += v
                sx += v * (x0 + i)
                sy += v * y
    if sw == 0:
        return None
    rx, ry = sx / sw, sy / sw
    # Then every pixel within the disc's radius plus its soft edge, weighted by its excess over
    # the background: a threshold alone would cut the edge unevenly and bias sub-pixel positions.
    reach = math.sqrt(n / math.pi) + EDGE
    sw = sx = sy = 0.0
    for y in range(max(y0, int(ry - reach)), min(y1, int(ry + reach) + 1) + 1):
        dy2 = (y - ry) ** 2
        for x in range(max(x0, int(rx - reach)), min(x1, int(rx + reach) + 1) + 1):
            if (x - rx) ** 2 + dy2 <= reach * reach:
                w = frame[y * width + x] - background
                if w > 0:
                    sw += w
                    sx += w * x
                    sy += w * y
    return (sx / sw, sy / sw) if sw > 0 else None


def jitter(path, width, height):
    size = width * height
    track = []
    with open(path, 'rb') as f:
        while True:
            frame = f.read(size)
            if len(frame) < size:
                break
            track.append(centroid(frame, width, height))
    # Only the longest run of frames where the disc was found counts.
    best, run = [], []
    for p in track + [None]:
        if p is None:
            if len(run) > len(best):
                best = run
            run = []
        else:
            run.append(p)
    if len(best) < SMOOTH + 3:
        raise SystemExit('%s: the disc was found in %d frames only' % (path, len(best)))
    d2 = [(best[i + 1][0] - 2 * best[i][0] + best[i - 1][0],
           best[i + 1][1] - 2 * best[i][1] + best[i - 1][1]) for i in range(1, len(best) - 1)]
    half = SMOOTH // 2
    rx, ry = [], []
    for i in range(half, len(d2) - half):
        mx = sum(d[0] for d in d2[i - half:i + half + 1]) / SMOOTH
        my = sum(d[1] for d in d2[i - half:i + half + 1]) / SMOOTH
        rx.append(d2[i][0] - mx)
        ry.append(d2[i][1] - my)
    n = len(rx)
    rms_x = math.sqrt(sum(v * v for v in rx) / n)
    rms_y = math.sqrt(sum(v * v for v in ry) / n)
    rms = math.sqrt(sum(a * a + b * b for a, b in zip(rx, ry)) / n)
    travel = math.hypot(best[-1][0] - best[0][0], best[-1][1] - best[0][1])
    return len(track), len(best), travel, rms, rms_x, rms_y


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    label = sys.argv[4] if len(sys.argv) > 4 else path
    frames, tracked, travel, rms, rms_x, rms_y = jitter(path, width, height)
    print('%-24s jitter %.3f px/frame^2 (x %.3f, y %.3f); disc tracked in %d of %d frames, '
          'moved %.0f px' % (label, rms, rms_x, rms_y, tracked, frames, travel))


if __name__ == '__main__':
    main()
