"""An album as a document, as a user meets it: import pictures, save the album through the menu,
quit, open it again by starting the program on the file, delete a picture and move another, and
undo both with the keyboard; killed, the program offers the album back at the next start."""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vmdrive  # noqa: E402
from vmdrive import Failure  # noqa: E402

PICTURES = [("a.jpg", "red", 640, 480), ("b.jpg", "lime", 640, 480),
            ("c.jpg", "blue", 640, 480)]


def window_named(s, name):
    """A visible window whose title is name in any of the interface's languages."""
    titles = "|".join(re.escape(t) for t in s.names.variants(name))
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^({titles})$"],
                         capture_output=True, text=True).stdout.split()
    return out[-1] if out else None


def tile_names(s):
    strip = s.find("Pictures of the album")
    return [strip.get_child_at_index(i).get_name() for i in range(strip.get_child_count())]


def wait_tiles(s, expected, what):
    s.wait_for(lambda: tile_names(s) == expected, 30, what)


def run_session(s, media, album):
    files = [p[0] for p in PICTURES]
    s.click("Add pictures")
    s.choose_files(media, files)
    wait_tiles(s, files, "the three pictures in the strip")
    s.wait_for(lambda: not s.find_all("Progress"), 30, "the import to end")

    # Save as… from the menu, into a file named in Qt's save dialog. A popup menu is not in the
    # accessibility tree's walk from the application (Qt leaves popups out), so its items are
    # reached with the keys: New album, Open album…, Open recent, Save, Save as….
    s.click("Menu")
    for _ in range(5):
        s.key("Down")
    s.key("Return")
    window = s.wait_for(lambda: window_named(s, "Save album"), 20, "the save dialog")
    s.xdo("windowfocus", "--sync", window)
    s.key("ctrl+a")
    s.type(album)
    s.key("Return")
    s.wait_for(lambda: os.path.isfile(album), 20, "the album file")
    s.screenshot("saved")

    # Saved: nothing would be lost, so the program quits without a question.
    s.click(s.find("Close", role="push button"))
    try:
        code = s.proc.wait(20)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not quit at once with its album saved")
    if code != 0:
        raise Failure(f"the program quit with {code}")


def reopen_and_undo(s, album):
    files = [p[0] for p in PICTURES]
    s.start(extra_args=[album])
    wait_tiles(s, files, "the album opened from the command line")
    s.wait_for(lambda: not s.find_all("Progress"), 30, "the opening to end")

    # Delete the second picture: select it, the Delete key, and the question's "Yes".
    strip = s.find("Pictures of the album")
    s.click(strip.get_child_at_index(1))
    s.key("Delete")
    s.click(s.find("Yes", role="push button"))
    wait_tiles(s, ["a.jpg", "c.jpg"], "the picture deleted")

    # Move the last picture to the front, with real mouse input.
    tiles = [strip.get_child_at_index(i) for i in range(strip.get_child_count())]
    x0, y0, w0, h0 = s.extents(tiles[0])
    s.drag(s.centre(tiles[1]), (x0 + w0 // 5, y0 + h0 // 2))
    wait_tiles(s, ["c.jpg", "a.jpg"], "the picture moved")
    s.screenshot("edited")

    s.key("ctrl+z")
    wait_tiles(s, ["a.jpg", "c.jpg"], "the move undone")
    s.key("ctrl+z")
    wait_tiles(s, files, "the delete undone")
    s.key("ctrl+shift+z")
    wait_tiles(s, ["a.jpg", "c.jpg"], "the delete redone")
    s.screenshot("undone")
    # Within 2 s the edit is in the autosave; then the program dies without a word.
    time.sleep(3)
    s.proc.kill()
    s.proc.wait()


def restore_after_kill(s):
    s.start()
    s.wait_for(lambda: s.find_all("Restore", role="push button"), 20, "the offer to restore")
    s.screenshot("offered")
    s.click(s.find("Restore", role="push button"))
    wait_tiles(s, ["a.jpg", "c.jpg"], "the album restored as it was when killed")


def run_phase(args, tmp, phase):
    media = os.path.join(tmp, "media")
    album = os.path.join(media, "holiday.vmalbum")
    s = vmdrive.Session(args.app, args.workdir, args.ts, vmdrive.private_env(tmp))
    try:
        if phase == "save":
            s.start()
            run_session(s, media, album)
        elif phase == "reopen":
            reopen_and_undo(s, album)
        else:
            restore_after_kill(s)
    except Failure as e:
        shot = s.screenshot(f"{phase}-failure")
        print(f"FAILED: {e}\nscreen: {shot}\nprogram log: "
              f"{os.path.join(args.workdir, 'vmalbum.log')}")
        return 1
    finally:
        s.stop()
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    parser.add_argument("--ts", action="append")
    parser.add_argument("--workdir", default=os.getcwd())
    parser.add_argument("--phase", help=argparse.SUPPRESS)
    parser.add_argument("--folder", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.phase:
        return run_phase(args, args.folder, args.phase)
    vmdrive.require_tools("xdotool", "ffmpeg", "dbus-run-session")

    with tempfile.TemporaryDirectory(prefix="vm-doc-") as tmp:
        os.makedirs(os.path.join(tmp, "media"))
        vmdrive.make_media(os.path.join(tmp, "media"), PICTURES, None)
        if run_phase(args, tmp, "save"):
            return 1
        # Each later start on a bus of its own: a program that starts after another left the
        # accessibility bus is not let onto it again in this headless session.
        for phase in ("reopen", "restore"):
            command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                       "--app", args.app, "--workdir", args.workdir, "--phase", phase,
                       "--folder", tmp]
            for ts in args.ts or []:
                command += ["--ts", ts]
            if subprocess.run(command).returncode:
                return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(vmdrive.on_own_display(main))
