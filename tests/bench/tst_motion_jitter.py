#!/usr/bin/env python3
"""bench/motion_jitter.py on synthetic frames: where the disc is, and smooth against snapped paths."""
import importlib.util
import math
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, '..', '..', 'bench', 'motion_jitter.py')
spec = importlib.util.spec_from_file_location('motion_jitter', SCRIPT)
mj = importlib.util.module_from_spec(spec)
spec.loader.exec_module(mj)

W, H = 240, 140
RADIUS = 8.0


def frame(cx, cy, background=20, disc=230):
    """One grey frame with a disc whose edge is covered in proportion, as a renderer draws it."""
    f = bytearray([background]) * (W * H)
    for y in range(max(0, int(cy - RADIUS - 2)), min(H, int(cy + RADIUS + 3))):
        for x in range(max(0, int(cx - RADIUS - 2)), min(W, int(cx + RADIUS + 3))):
            cover = min(1.0, max(0.0, RADIUS + 0.5 - math.hypot(x - cx, y - cy)))
            f[y * W + x] = int(round(background + (disc - background) * cover))
    return bytes(f)


def path(n, snap):
    """An eased move across the frame, at sub-pixel positions or rounded to whole pixels."""
    out = []
    for i in range(n):
        e = 0.5 - 0.5 * math.cos(math.pi * i / (n - 1))
        x, y = 30 + 170 * e, 30 + 75 * e
        out.append((round(x), round(y)) if snap else (x, y))
    return out


class MotionJitterTest(unittest.TestCase):
    def run_jitter(self, frames):
        with tempfile.NamedTemporaryFile(suffix='.gray', delete=False) as f:
            for fr in frames:
                f.write(fr)
            name = f.name
        try:
            return mj.jitter(name, W, H)
        finally:
            os.unlink(name)

    def test_centroid_is_sub_pixel(self):
        for cx, cy in [(100.0, 60.0), (100.3, 60.7), (57.5, 101.25)]:
            got = mj.centroid(frame(cx, cy), W, H)
            self.assertAlmostEqual(got[0], cx, delta=0.02)
            self.assertAlmostEqual(got[1], cy, delta=0.02)

    def test_disc_at_the_border_is_still_found(self):
        got = mj.centroid(frame(3.0, 70.0), W, H)
        self.assertIsNotNone(got)
        self.assertLess(abs(got[1] - 70.0), 0.1)

    def test_no_disc_gives_none(self):
        self.assertIsNone(mj.centroid(bytes([20]) * (W * H), W, H))
        # Faint texture is not a disc.
        self.assertIsNone(mj.centroid(frame(100, 60, background=20, disc=60), W, H))

    def test_smooth_path_has_near_zero_jitter(self):
        frames, tracked, travel, rms, rms_x, rms_y = self.run_jitter(
            [frame(x, y) for x, y in path(60, snap=False)])
        self.assertEqual((frames, tracked), (60, 60))
        self.assertAlmostEqual(travel, math.hypot(170, 75), delta=0.5)
        self.assertLess(rms, 0.03)
        self.assertLessEqual(max(rms_x, rms_y), rms)

    def test_whole_pixel_path_wobbles(self):
        rms = self.run_jitter([frame(x, y) for x, y in path(60, snap=True)])[3]
        self.assertGreater(rms, 0.3)

    def test_longest_tracked_run_counts(self):
        frames = [frame(x, y) for x, y in path(60, snap=False)]
        frames[5] = bytes([20]) * (W * H)  # the disc lost for a frame near the start
        total, tracked = self.run_jitter(frames)[:2]
        self.assertEqual((total, tracked), (60, 54))

    def test_too_few_frames_are_refused(self):
        with self.assertRaises(SystemExit):
            self.run_jitter([frame(x, y) for x, y in path(10, snap=False)])


if __name__ == '__main__':
    unittest.main()
