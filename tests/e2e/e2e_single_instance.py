"""A second start of the program while one runs: it shows nothing, leaves at once, and the
running window comes to the front. Pictures given on the command line are imported: at the first
start, and when a later start hands them to the running window."""

import argparse
import os
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vmdrive  # noqa: E402
from vmdrive import Failure  # noqa: E402

SECOND_START_LIMIT_S = 10
HANDED_OVER = 1  # a second instance's exit code: it woke the first and did nothing itself


def stacking_order():
    """Top-level windows, bottom first (xwininfo lists the top first)."""
    out = vmdrive.run(["xwininfo", "-root", "-children"])
    return [line.split()[0] for line in out.splitlines() if line.strip().startswith("0x")][::-1]


def main_window(session):
    ids = session.window_ids()
    return max(ids, key=lambda w: session.window_geometry(w)[2] * session.window_geometry(w)[3])


def wait_for_pictures(session, names, what):
    """The strip shows these pictures (its tiles are named after the files), in this order."""
    strip = session.find("Pictures of the album")

    def shown():
        if session.find_all("Progress"):
            return False
        return [strip.get_child_at_index(i).get_name()
                for i in range(strip.get_child_count())] == names
    session.wait_for(shown, 60, f"{names} in the strip ({what})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    # Accepted like the other tests'; no names are looked up here.
    parser.add_argument("--ts", action="append")
    parser.add_argument("--workdir", default=os.getcwd())
    args = parser.parse_args()
    vmdrive.require_tools("xdotool", "xwininfo", "xlogo", "ffmpeg")

    with tempfile.TemporaryDirectory(prefix="vm-single-") as tmp:
        env = vmdrive.private_env(tmp)
        media = os.path.join(tmp, "media")
        os.makedirs(media)
        vmdrive.make_media(media, [("first.jpg", "red", 320, 240),
                                   ("second one.png", "blue", 240, 320),
                                   ("third, 100%.jpg", "green", 320, 320)])
        first = vmdrive.Session(args.app, args.workdir, args.ts, env=env)
        cover = None
        try:
            first.start([os.path.join(media, "first.jpg")])
            wait_for_pictures(first, ["first.jpg"], "the picture given at the start")
            window = main_window(first)
            window_hex = hex(int(window))
            # Something else on top of the window, as when the user went to another program.
            cover = subprocess.Popen(["xlogo", "-geometry", "1920x1080+0+0"])
            first.wait_for(lambda: stacking_order()[-1] != window_hex and
                           window_hex in stacking_order(), 10, "another window over ours")

            started = time.monotonic()
            try:
                second = subprocess.run([args.app], env={**os.environ, **env},
                                        capture_output=True, text=True, timeout=60)
            except subprocess.TimeoutExpired:
                first.screenshot("second-start-stayed")
                raise Failure("the second start was still running after 60 s")
            took = time.monotonic() - started
            problems = []
            if second.returncode != HANDED_OVER:
                problems.append(f"the second start exited with {second.returncode}, expected "
                                f"{HANDED_OVER}: {second.stderr.strip()}")
            if took > SECOND_START_LIMIT_S:
                problems.append(f"the second start took {took:.1f} s")
            if first.proc.poll() is not None:
                problems.append(f"the first instance exited with {first.proc.returncode}")
            try:
                first.wait_for(lambda: stacking_order()[-1] == window_hex, 10,
                               "the running window to come to the front")
            except Failure as e:
                problems.append(str(e))
            # Only the first instance's window is there: nothing of the second was mapped.
            windows = [w for w in first.window_ids() if first.window_geometry(w)[2] > 300]
            tops = [w for w in windows if hex(int(w)) in stacking_order()]
            if tops != [window]:
                problems.append(f"top-level windows of the program: {tops}, expected [{window}]")
            if problems:
                first.screenshot("single-instance-failure")
                raise Failure("; ".join(problems))
            print(f"ok: second start left with {second.returncode} after {took:.2f} s; the "
                  "running window came to the front")

            # A start with pictures, from the pictures' folder as a file manager would: they
            # replace the album in the running window, which comes to the front again.
            cover.terminate()
            cover.wait()
            cover = subprocess.Popen(["xlogo", "-geometry", "1920x1080+0+0"])
            first.wait_for(lambda: stacking_order()[-1] != window_hex, 10,
                           "another window over ours again")
            handing = subprocess.run([args.app, "second one.png",
                                      "file://" + urllib.parse.quote(
                                          os.path.join(media, "third, 100%.jpg"))],
                                     env={**os.environ, **env}, cwd=media, capture_output=True,
                                     text=True, timeout=60)
            if handing.returncode != HANDED_OVER:
                raise Failure(f"the start with pictures exited with {handing.returncode}: "
                              f"{handing.stderr.strip()}")
            first.wait_for(lambda: stacking_order()[-1] == window_hex, 10,
                           "the running window to come to the front for the pictures")
            wait_for_pictures(first, ["second one.png", "third, 100%.jpg"],
                              "the pictures handed over")
            print("ok: pictures given at the start were imported, and those of a later start "
                  "were handed to the running window")
            return 0
        except Failure as e:
            print(f"FAILED: {e}")
            return 1
        finally:
            if cover:
                cover.terminate()
                cover.wait()
            first.stop()


if __name__ == "__main__":
    sys.exit(vmdrive.on_own_display(main))
