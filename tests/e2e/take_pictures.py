#!/usr/bin/env python3
"""Pictures of the confirmation and the completion box as the real image draws them under Wine,
with a Japanese font, for the README.

    take_pictures.py --win32 build/win32 --pack build/native/olvan-pack --work DIR --out docs
"""

import argparse
import subprocess
import sys
from pathlib import Path

from run_wine import Prefix, missing_parts


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", type=Path, required=True)
    parser.add_argument("--pack", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--out", type=Path, required=True)
    args = parser.parse_args()
    if missing_parts():
        print("take_pictures: missing " + ", ".join(missing_parts()))
        return 1
    args.out.mkdir(parents=True, exist_ok=True)
    names = {0: "confirmation.png", 1: "finished.png"}
    prefix = Prefix(args.work.resolve(), args.win32.resolve(), args.pack.resolve())

    def picture(index, window):
        if index in names:
            subprocess.run(["import", "-window", window, str(args.out / names[index])], env=prefix.env, check=True)
            print("wrote", args.out / names[index])

    try:
        prefix.start()
        prefix.install()
        prefix.hand_over(prefix.root / "drive_c")
        boxes, _ = prefix.run(prefix.win32 / "olvan-update.exe", [], [], on_box=picture)
    finally:
        prefix.stop()
    return 0 if len(boxes) == 2 else 1


if __name__ == "__main__":
    sys.exit(main())
