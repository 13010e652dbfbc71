#!/usr/bin/env python3
"""The cases of cases.py with the native program, in a plain prefix: no Wine, no display.

Each case writes the prefix's user.reg as Wine writes it, sets up the files, runs the real program
with the answers on standard input (Return as an empty line, Escape and the Cancel button as
"c", the close box as the end of input), reads its boxes from its terminal output, and checks them,
the exit code and the files. The terminal draws no icon, so a box's style is compared by its
buttons only.

    run_native.py --build build/native --work DIR [--only NAME]
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path
from typing import List, Optional

from cases import Case, IDCANCEL, IDOK, Install, Value, compare, files_below, run_table

ANSWERS = {"Return": "\n", "Escape": "c\n", "Tab Return": "cancel\n"}


def wine_string(text: str) -> str:
    """A string between the quotes of a Wine registry file, escaped as Wine escapes it."""
    out = []
    for i, c in enumerate(text):
        if ord(c) > 127:
            following = text[i + 1] if i + 1 < len(text) else ""
            out.append(f"\\x{ord(c):04x}" if following in "0123456789abcdefABCDEF" and following else f"\\x{ord(c):x}")
        elif c in '\\"':
            out.append("\\" + c)
        else:
            out.append(c)
    return "".join(out)


class NativePrefix(Install):
    def __init__(self, work: Path, build: Path):
        super().__init__()
        self.work = work
        self.build = build
        self.root = work / "prefix"
        self.drive_c = self.root / "drive_c"

    def start(self):
        shutil.rmtree(self.work, ignore_errors=True)
        (self.root / "dosdevices").mkdir(parents=True)
        self.drive_c.mkdir()
        (self.root / "dosdevices/c:").symlink_to("../drive_c")
        self.expand_records(self.build / "olvan-pack", self.build / "resources")

    def set_value(self, value: Optional[Value]):
        lines = ["WINE REGISTRY Version 2", ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000", "",
                 "#arch=win32", "", "[Software\\\\Wine] 1700000000", '"Version"="win7"', ""]
        if value is not None:
            if value.kind == "REG_SZ":
                data = '"' + wine_string(value.data) + '"'
            elif value.kind == "REG_EXPAND_SZ":
                data = 'str(2):"' + wine_string(value.data) + '"'
            elif value.kind == "REG_DWORD":
                data = f"dword:{value.data:08x}"
            else:
                data = "hex:" + ",".join(f"{b:02x}" for b in value.data)
            lines += ["[Software\\\\Brenmo\\\\Olvan] 1700000000", "#time=1da0000000000", f'"DataDir"={data}', ""]
        (self.root / "user.reg").write_text("\n".join(lines))

    def fresh_drive(self):
        subprocess.run(["chmod", "-R", "u+w", str(self.drive_c)])
        shutil.rmtree(self.drive_c)
        self.drive_c.mkdir()

    def run(self, case: Case):
        program = self.build / (f"variants/olvan-update-{case.variant}" if case.variant else "olvan-update")
        answers = ""
        for key in case.keys:
            if key == "alt+F4":
                break
            answers += ANSWERS[key]
        else:
            answers += "\n" * 8
        env = dict(os.environ, WINEPREFIX=str(self.root))
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        run = subprocess.run([str(program), *case.args], input=answers.encode(), capture_output=True, env=env,
                             cwd=self.drive_c, timeout=60)
        return parse_boxes(run.stdout.decode()), run.returncode


BUTTONS = {"[OK]": 0x00, "[OK] [Cancel]": 0x01}


def parse_boxes(out: str):
    """The terminal boxes in order, as (caption, style, text, answer)."""
    boxes, lines, i = [], out.split("\n"), 0
    while i < len(lines):
        m = re.fullmatch(r"=== (.*) ===", lines[i])
        i += 1
        if not m:
            continue
        text = []
        while i < len(lines) and lines[i] not in BUTTONS:
            text.append(lines[i])
            i += 1
        style = BUTTONS.get(lines[i], -1) if i < len(lines) else -1
        while i < len(lines) and lines[i] in BUTTONS:  # asked again
            i += 1
        taken = lines[i][3:] if i < len(lines) and lines[i].startswith("-> ") else "?"
        answer = {"OK": IDOK, "Cancel": IDCANCEL, "closed": IDCANCEL if style == 0x01 else IDOK}.get(taken, -1)
        boxes.append((m.group(1), style, "\n".join(text), answer))
    return boxes


def run_case(p: NativePrefix, case: Case) -> List[str]:
    p.fresh_drive()
    case.setup(p)
    roots = [p.drive_c] + ([p.small_disk_path()] if case.needs_mount else [])
    before = files_below(*roots)
    shown, exit_code = p.run(case)
    return compare(case, shown, exit_code, before, files_below(*roots), buttons_only=True) + case.check(p)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--only", help="run only the cases whose name holds this")
    args = parser.parse_args()
    prefix = NativePrefix(args.work.resolve(), args.build.resolve())
    try:
        prefix.start()
        failures = run_table(lambda case: run_case(prefix, case), args.only, native=True)
    finally:
        prefix.unmount()
    print(f"{failures} of the cases failed" if failures else "every case passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
