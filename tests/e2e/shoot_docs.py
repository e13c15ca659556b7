"""Takes the README's pictures: the main window with an album loaded, the export dialog with its
format list open, a phone's folder gone in whole, in the order taken, and a trimmed clip's panel
(--only camera-roll or --only clip-panel). Run through
scripts/make-screenshots, which gives it an X server."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vmdrive  # noqa: E402

MAX_WIDTH = 900
MAX_BYTES = 150 * 1024  # small enough to sit in the repository
FORMATS = ["MP4", "AVI", "WMV", "FLV", "MKV", "MOV", "GIF", "WEBM", "M4V"]


def make_album(folder):
    """Soft generated pictures that read as photos at thumbnail size."""
    pictures = [("lake.jpg", "plasma:skyblue-navy"), ("dunes.jpg", "plasma:wheat-sienna"),
                ("meadow.jpg", "plasma:yellowgreen-darkgreen"),
                ("sunset.jpg", "gradient:orange-purple"), ("mist.png", "plasma:lavender-slateblue")]
    names = []
    for name, source in pictures:
        # Blurred well: fine grain would make the screenshots large.
        vmdrive.run(["convert", "-size", "1280x720", "-seed", "7", source, "-blur", "0x12",
                     os.path.join(folder, name)])
        names.append(name)
    vmdrive.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "sine=frequency=330:duration=20", "-c:a", "libmp3lame",
                 os.path.join(folder, "summer-breeze.mp3")])
    return names


def make_camera_roll(folder):
    """A phone's folder: HEIC, WebP and JPEG pictures whose names do not follow the order they
    were taken in (the file times stand for the dates taken)."""
    shots = [("IMG_2041.HEIC", "plasma:gold-firebrick", "2026-06-02 18:40"),
             ("IMG_0007.jpg", "gradient:skyblue-white", "2026-06-01 09:15"),
             ("beach.webp", "plasma:turquoise-khaki", "2026-06-01 13:02"),
             ("IMG_1533.HEIC", "plasma:plum-midnightblue", "2026-06-02 21:05"),
             ("PXL_0412.jpg", "gradient:palegreen-seagreen", "2026-06-01 17:30")]
    for name, source, taken in shots:
        path = os.path.join(folder, name)
        vmdrive.run(["convert", "-size", "1280x960", "-seed", "11", source, "-blur", "0x12",
                     path])
        vmdrive.run(["touch", "-d", taken, path])


def shoot_camera_roll(args, tmp):
    folder = os.path.join(tmp, "Phone", "DCIM")
    os.makedirs(folder)
    make_camera_roll(folder)
    env = vmdrive.private_env(os.path.join(tmp, "roll"), "alice")
    env["VMALBUM_LANG"] = args.lang
    s = vmdrive.Session(args.app, os.path.join(tmp, "roll"), args.ts, env)
    try:
        s.start([folder])
        strip = s.find("Pictures of the album")
        s.wait_for(lambda: strip.get_child_count() == 5 and not s.find_all("Progress"), 60,
                   "the folder's pictures")
        s.click(strip.get_child_at_index(0))
        s.xdo("mousemove", 5, 5)
        time.sleep(1.5)
        save(s.extents(s.window_of(strip)), os.path.join(args.out, "camera-roll.png"))
    finally:
        s.stop()


def shoot_clip_panel(args, tmp):
    folder = os.path.join(tmp, "Trip")
    os.makedirs(folder)
    vmdrive.run(["convert", "-size", "1280x720", "-seed", "5", "plasma:skyblue-navy", "-blur",
                 "0x12", os.path.join(folder, "lake.jpg")])
    vmdrive.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "gradients=size=1280x720:speed=0.02:duration=12:rate=30", "-f", "lavfi", "-i",
                 "sine=frequency=440:duration=12", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                 "-c:a", "aac", "-shortest", os.path.join(folder, "VID_0412.mp4")])
    env = vmdrive.private_env(os.path.join(tmp, "clip"), "alice")
    env["VMALBUM_LANG"] = args.lang
    s = vmdrive.Session(args.app, os.path.join(tmp, "clip"), args.ts, env)
    try:
        s.start([os.path.join(folder, "lake.jpg"), os.path.join(folder, "VID_0412.mp4")])
        strip = s.find("Pictures of the album")
        s.wait_for(lambda: strip.get_child_count() == 2 and not s.find_all("Progress"), 60,
                   "the picture and the clip")
        s.click(strip.get_child_at_index(1))
        s.key("Return")
        mute = s.find("Mute the clip's sound", timeout=20)
        # A trim: the position moved on the bar, then O and I there.
        bx, by, bw, bh = s.extents(s.find("Part of the clip played"))
        for at, key in ((0.8, "o"), (0.2, "i")):
            s.xdo("mousemove", int(bx + at * bw), int(by + bh / 2))
            s.xdo("click", "1")
            time.sleep(0.5)
            s.key(key)
        s.xdo("mousemove", 5, 5)
        time.sleep(2.0)
        save(s.extents(s.window_of(mute)), os.path.join(args.out, "clip-panel.png"))
    except vmdrive.Failure:
        shutil.copy(s.screenshot("failure"), os.path.join(args.out, "screenshot-failure.png"))
        raise
    finally:
        s.stop()


def save(region, path):
    """Crops the screen to region (x, y, w, h), scales it to MAX_WIDTH at most and squeezes it."""
    x, y, w, h = region
    raw = path + ".full.png"
    vmdrive.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", raw])
    vmdrive.run(["convert", raw, "-resize", f"{MAX_WIDTH}x>", "-strip", "-define",
                 "png:compression-level=9", path])
    os.remove(raw)
    if shutil.which("pngquant"):
        subprocess.run(["pngquant", "--force", "--skip-if-larger", "--output", path, path],
                       check=False)
    if os.path.getsize(path) > MAX_BYTES:
        # A dithered palette keeps the pictures' gradients smooth at a third of the size.
        vmdrive.run(["convert", path, "-colors", "256", "-define", "png:compression-level=9",
                     f"PNG8:{path}"])
    print(f"{path}: {os.path.getsize(path) // 1024} KB")


def bounds(*regions, margin=0):
    x0 = min(r[0] for r in regions) - margin
    y0 = min(r[1] for r in regions) - margin
    x1 = max(r[0] + r[2] for r in regions) + margin
    y1 = max(r[1] + r[3] for r in regions) + margin
    return max(x0, 0), max(y0, 0), x1 - max(x0, 0), y1 - max(y0, 0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    parser.add_argument("--ts", action="append", help="a catalogue; may be given again")
    parser.add_argument("--out", required=True)
    parser.add_argument("--lang", default="en")
    parser.add_argument("--only", choices=["camera-roll", "clip-panel"], help="take this picture alone")
    args = parser.parse_args()
    vmdrive.require_tools("xdotool", "ffmpeg", "convert", "import")

    with tempfile.TemporaryDirectory(prefix="vm-") as tmp:
        if args.only == "camera-roll":
            os.makedirs(os.path.join(tmp, "roll"))
            shoot_camera_roll(args, tmp)
            return 0
        if args.only == "clip-panel":
            os.makedirs(os.path.join(tmp, "clip"))
            shoot_clip_panel(args, tmp)
            return 0
        media = os.path.join(tmp, "media")
        os.makedirs(media)
        files = make_album(media)
        env = vmdrive.private_env(tmp, "alice")  # the export folder shown is under it
        env["VMALBUM_LANG"] = args.lang
        s = vmdrive.Session(args.app, tmp, args.ts, env)
        try:
            s.start()
            s.click("Add pictures")
            s.choose_files(media, files)
            strip = s.find("Pictures of the album")
            s.wait_for(lambda: strip.get_child_count() == len(files) and
                       not s.find_all("Progress"), 60, "the thumbnails")
            s.click("Custom background music")
            s.choose_files(media, ["summer-breeze.mp3"])
            s.find("summer-breeze.mp3", role="label", timeout=20)
            s.click("Text watermark")
            s.click(s.find("Watermark text"))
            s.type("Summer 2026")
            s.key("Return")
            s.click(strip.get_child_at_index(0))  # the cover: the first picture
            # Park the pointer off the window so that no hover look is caught.
            s.xdo("mousemove", 5, 5)
            time.sleep(1.5)
            window = s.extents(s.window_of(strip))
            save(window, os.path.join(args.out, "main-window.png"))

            s.click("Export")
            dialog = s.window_of(s.find("edit file name"))
            box = s.wait_for(lambda: [n for n in s._walk(dialog)
                                      if n.get_role_name() == "combo box" and
                                      n.get_name() in FORMATS], 15, "the format box")[0]
            s.click("edit file name", within=dialog)
            s.key("ctrl+a")
            s.type("Summer 2026")
            s.click(box)
            item = s.find("MKV", role="list item")
            s.xdo("mousemove", *s.centre(item))  # a highlighted row, as under a user's pointer
            time.sleep(1.0)
            popup = s.extents(item.get_parent())
            save(bounds(s.extents(dialog), popup), os.path.join(args.out, "export-dialog.png"))
            s.key("Escape")
        except vmdrive.Failure as e:
            shot = s.screenshot("failure")
            print(f"FAILED: {e} (screen in {shot})")
            shutil.copy(shot, os.path.join(args.out, "screenshot-failure.png"))
            return 1
        finally:
            s.stop()
    return 0


if __name__ == "__main__":
    sys.exit(vmdrive.on_own_display(main))
