"""A user's whole session: import pictures through the file dialog, reorder them by dragging,
set a text watermark and music, export an MP4, and probe the file."""

import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vmdrive  # noqa: E402
from vmdrive import Failure  # noqa: E402

# Plain colours tell the pictures apart in a frame. The third one is wide while the first is 4:3,
# and the video takes its ratio from the first picture: after dragging the third to the front
# both the first frame's colour and the video's width show the new order.
PICTURES = [("a.jpg", "red", 640, 480), ("b.jpg", "lime", 640, 480),
            ("c.jpg", "blue", 640, 360), ("d.png", "yellow", 640, 480)]
DRAGGED = 2
BLUE = (0, 0, 255)
SECONDS_PER_PICTURE = 3  # the duration box's default
TRANSITION_SECONDS = 2
FRAME_RATE = 24  # the export dialog's default
WATERMARK = "Holiday 2026"
RATIOS = ["self-adaption(default)", "16:9", "4:3", "2:1", "9:16", "3:4", "1:1"]
HEIGHTS = ["480P", "720P", "1080P", "2K", "4K"]
FORMATS = ["MP4", "AVI", "WMV", "FLV", "MKV", "MOV", "GIF", "WEBM", "M4V"]


def probe(path):
    out = vmdrive.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-show_format",
                       "-of", "json", path])
    return json.loads(out)


def first_frame_patch(path, x, y, w, h):
    """RGB triples of a rectangle of the first frame."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-frames:v", "1", "-vf",
                          f"crop={w}:{h}:{x}:{y}", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]


def near(colour, expected, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    parser.add_argument("--ts", action="append", help="a catalogue; may be given again")
    parser.add_argument("--workdir", default=os.getcwd())
    args = parser.parse_args()
    vmdrive.require_tools("xdotool", "ffmpeg", "ffprobe")

    with tempfile.TemporaryDirectory(prefix="vm-e2e-") as tmp:
        media = os.path.join(tmp, "media")
        out_dir = os.path.join(tmp, "out")
        env = vmdrive.private_env(tmp)
        for d in (media, out_dir):
            os.makedirs(d)
        vmdrive.make_media(media, PICTURES, "music.mp3")

        s = vmdrive.Session(args.app, args.workdir, args.ts, env)
        try:
            s.start()
            run_session(s, media, out_dir)
        except Failure as e:
            shot = s.screenshot("failure")
            s.stop()
            print(f"FAILED: {e}\nscreen: {shot}\nprogram log: "
                  f"{os.path.join(args.workdir, 'vmalbum.log')}")
            return 1
        finally:
            s.stop()

        target = os.path.join(out_dir, "e2e album.mp4")
        return check_video(target)


def run_session(s, media, out_dir):
    files = [p[0] for p in PICTURES]

    # 0. Controls that show only a picture are named too: the caption buttons and the player's.
    for name in ("Menu", "Minimize", "Maximize", "Close", "Play or pause", "Playback position"):
        s.find(name, role="push button" if name != "Playback position" else None)

    # 1. Import through the file dialog.
    s.click("Add pictures")
    s.choose_files(media, files)
    strip = s.find("Pictures of the album")
    s.wait_for(lambda: strip.get_child_count() == len(files) and not s.find_all("Progress"), 60,
               f"{len(files)} thumbnails in the strip")
    s.screenshot("imported")

    # 2. Drag the third thumbnail before the first, with real mouse input.
    tiles = [strip.get_child_at_index(i) for i in range(strip.get_child_count())]
    x0, y0, w0, h0 = s.extents(tiles[0])
    s.drag(s.centre(tiles[DRAGGED]), (x0 + w0 // 5, y0 + h0 // 2))
    s.screenshot("dragged")

    # 3. Text watermark and custom music.
    s.click("Text watermark")
    field = s.find("Watermark text")
    s.click(field)
    s.type(WATERMARK)
    s.key("Return")
    s.wait_for(lambda: s.text_of(field) == WATERMARK, 10, "the watermark text in its field")
    s.click("Custom background music")
    s.choose_files(media, ["music.mp3"])
    s.find("music.mp3", role="label", timeout=20)
    s.screenshot("settings")

    # 4. The picture's own ratio at 480 lines, then the export dialog: MP4, our name and folder.
    s.choose(RATIOS, "self-adaption(default)")
    s.choose(HEIGHTS, "480P")
    s.click("Export")
    dialog = s.window_of(s.find("edit file name"))
    s.choose(FORMATS, "MP4", within=dialog)
    s.click("edit file name", within=dialog)
    s.key("ctrl+a")
    s.type("e2e album")  # no Enter: it presses the dialog's export button
    s.find("close", role="push button", within=dialog)
    s.click("choose export folder", within=dialog)
    s.choose_files(out_dir, [])
    s.wait_for(lambda: not s.chooser_window(), 10, "the folder chooser to close")
    s.screenshot("export-settings")
    s.click("export", within=dialog)
    s.find("Export succeeded", timeout=180)
    s.screenshot("exported")


def check_video(path):
    if not os.path.exists(path):
        print(f"FAILED: no video at {path}")
        return 1
    info = probe(path)
    video = [st for st in info["streams"] if st["codec_type"] == "video"]
    audio = [st for st in info["streams"] if st["codec_type"] == "audio"]
    problems = []
    if len(video) != 1:
        problems.append(f"{len(video)} video streams")
    if len(audio) != 1:
        problems.append(f"{len(audio)} audio streams")
    if video:
        v = video[0]
        # 480p at the first picture's ratio: 640x360 is 16:9, 853.3 made even.
        if (v["width"], v["height"]) != (852, 480):
            problems.append(f"video is {v['width']}x{v['height']}, expected 852x480 (the dragged "
                            "16:9 picture first)")
        n = len(PICTURES)
        frames = (n * SECONDS_PER_PICTURE + (n - 1) * TRANSITION_SECONDS) * FRAME_RATE
        if int(v.get("nb_read_frames", -1)) != frames:
            problems.append(f"{v.get('nb_read_frames')} frames, expected {frames}")
        w, h = v["width"], v["height"]
        centre = first_frame_patch(path, w // 2 - 16, h // 2 - 16, 32, 32)
        mean = tuple(sum(p[i] for p in centre) // len(centre) for i in range(3))
        if not near(mean, BLUE):
            problems.append(f"first frame's centre is {mean}, expected the dragged blue picture")
        # The text watermark sits in the top left corner by default: there the frame is not
        # plain blue.
        corner = first_frame_patch(path, 0, 0, w // 3, h // 4)
        marked = sum(not near(p, BLUE) for p in corner)
        if marked < len(corner) // 200:
            problems.append(f"only {marked} of {len(corner)} pixels of the top left corner "
                            "differ from the picture: no watermark")
    if problems:
        print("FAILED: " + "; ".join(problems))
        return 1
    print(f"watermark: {marked} of {len(corner)} pixels of the top left corner marked")
    print(f"ok: {path}: {json.dumps(video[0]['codec_name'])} {video[0]['width']}x"
          f"{video[0]['height']}, {video[0]['nb_read_frames']} frames, audio "
          f"{audio[0]['codec_name']}")
    return 0


if __name__ == "__main__":
    sys.exit(vmdrive.on_own_display(main))
