#!/usr/bin/env python3
"""The cases of cases.py with the Windows program under 32-bit Wine, as a player meets it.

Each case sets up the prefix, runs the real image, answers its message boxes with the keys a player
would press, and checks the boxes (text, caption, buttons, in order, and the answer each gave), the
exit code and the files. The boxes are read from Wine's traces: the relay trace of MessageBoxA
gives the owner, caption, style and answer; the msgbox trace gives the text as the box shows it, in
Unicode, which proves the code page 932 conversion. Before the cases it checks the image's make-up
and, given the native program, its SDL boxes under the same display.

    run_wine.py --win32 build/win32 --pack build/native/olvan-pack --work DIR [--native PROGRAM]
                [--only NAME]

Exits 0 when every case passes, 1 when one fails, and 77 (skipped) where Wine, Xvfb, xdotool or
the ja_JP.UTF-8 locale is missing, unless OLVAN_REQUIRE_WINE=1, where that is a failure.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path
from typing import Callable, List, Optional

from cases import OLD_EXECUTABLE, Case, Install, Value, compare, files_below, holds, run_table

SKIPPED = 77

class Prefix(Install):
    """One Wine prefix for the whole run, under Xvfb, with the game installed afresh per case."""

    def __init__(self, work: Path, win32: Path, pack: Path):
        self.work = work
        self.win32 = win32
        self.root = work / "prefix"
        self.drive_c = self.root / "drive_c"
        self.display = None
        self.xvfb = None
        super().__init__()
        self.env = dict(os.environ)
        self.pack = pack
        self.runs = 0
        # Run as root, Wine writes even to a read-only file. A player is no root, and neither is
        # Wine here: the prefix belongs to nobody, and Wine runs as nobody.
        self.player = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"] \
            if os.geteuid() == 0 else []

    # -- set-up and tear-down --------------------------------------------------------------

    def start(self):
        shutil.rmtree(self.work, ignore_errors=True)
        self.root.mkdir(parents=True)
        (self.work / "home").mkdir()
        self.hand_over(self.work)
        for number in range(90, 120):
            if not Path(f"/tmp/.X{number}-lock").exists():
                self.display = f":{number}"
                break
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env.update(HOME=str(self.work / "home"), WINEPREFIX=str(self.root), WINEARCH="win32", LC_ALL="ja_JP.UTF-8", LANG="ja_JP.UTF-8",
                        DISPLAY=self.display, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=")
        self.env.pop("WAYLAND_DISPLAY", None)
        for _ in range(100):
            if subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        started = time.time()
        # Wine's own programs keep running after wineboot and would hold a captured pipe open.
        self.quiet(self.player + ["wineboot", "-i"])
        self.quiet(self.player + ["wineserver", "-p"])
        self.reg("add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ",
                 "/d", "user32.MessageBoxA", "/f")
        print(f"prefix ready in {time.time() - started:.1f} s", flush=True)
        self.expand_records(self.pack, self.win32 / "resources")

    def stop(self):
        self.unmount()
        self.quiet(self.player + ["wineserver", "-k"])
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    # -- the registry and the files --------------------------------------------------------

    def quiet(self, command):
        with open(self.work / "wine.log", "ab") as log:
            subprocess.run(command, env=self.env, stdout=log, stderr=log, stdin=subprocess.DEVNULL)

    def reg(self, *args):
        self.quiet(self.player + ["wine", "reg", *args])

    def hand_over(self, path: Path):
        """Makes what the harness wrote belong to the user that Wine runs as."""
        if self.player:
            subprocess.run(["chown", "-R", "-h", "65534:65534", str(path)], check=True)

    def set_value(self, value: Optional[Value]):
        """Through a registry file that reg.exe imports, in UTF-16: it takes values of any size."""
        lines = ["Windows Registry Editor Version 5.00", "", r"[-HKEY_CURRENT_USER\Software\Brenmo]", ""]
        if value is not None:
            if value.kind == "REG_SZ":
                data = '"' + value.data.replace("\\", "\\\\").replace('"', '\\"') + '"'
            elif value.kind == "REG_DWORD":
                data = f"dword:{value.data:08x}"
            else:
                raw = value.data if value.kind == "REG_BINARY" else (value.data + "\0").encode("utf-16-le")
                data = ("hex:" if value.kind == "REG_BINARY" else "hex(2):") + ",".join(f"{b:02x}" for b in raw)
            lines += [r"[HKEY_CURRENT_USER\Software\Brenmo\Olvan]", f'"DataDir"={data}', ""]
        file = self.work / "value.reg"
        file.write_bytes(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
        self.hand_over(file)
        self.reg("import", "Z:" + str(file).replace("/", "\\"))

    def fresh_drive(self):
        for entry in self.drive_c.iterdir():
            if entry.name not in ("windows", "users", "Program Files", "ProgramData", "Program Files (x86)"):
                subprocess.run(["chmod", "-R", "u+w", str(entry)])
                shutil.rmtree(entry) if entry.is_dir() and not entry.is_symlink() else entry.unlink()

    # -- running the program ---------------------------------------------------------------

    def run(self, program: str, args: List[str], keys: List[str], hold: Optional[str] = None,
            on_box: Optional[Callable[[int, str], None]] = None):
        """Runs the image, pressing keys[i] (default Return) on the i-th box, after on_box(i, its
        window) where given; returns the boxes, each as (owner, caption, style, text, answer), and
        the exit code."""
        holder = None
        if hold:
            release = self.drive_c / "windows/temp/release"
            release.unlink(missing_ok=True)
            holder = subprocess.Popen(self.player + ["wine", str(self.win32 / "hold_open.exe"), hold,
                                                     r"C:\windows\temp\release"],
                                      env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      stdin=subprocess.DEVNULL)
            if holder.stdout.readline().strip() != b"held":
                raise RuntimeError("the helper could not hold " + hold)
        self.runs += 1
        trace_path = self.work / f"trace-{self.runs}.txt"
        env = dict(self.env, WINEDEBUG="trace+msgbox,+relay")
        with open(trace_path, "wb") as trace:
            # From drive C:, which becomes the current drive.
            process = subprocess.Popen(self.player + ["wine", str(program), *args], env=env, stdout=subprocess.DEVNULL,
                                       stderr=trace, stdin=subprocess.DEVNULL, cwd=self.drive_c)
            answered, sent_at, deadline = 0, 0.0, time.time() + 60
            while process.poll() is None and time.time() < deadline:
                text = trace_path.read_bytes().decode("utf-8", "replace")
                calls, returns = text.count("Call user32.MessageBoxA("), text.count("Ret  user32.MessageBoxA(")
                if calls > returns and (answered == calls - 1 or time.time() - sent_at > 3):
                    # The box is up: find its window by its caption and press the key.
                    caption = CALL.findall(text)[-1][1]
                    windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                              "^" + re.escape(decode_a(caption)) + "$"],
                                             env=self.env, capture_output=True, text=True).stdout.split()
                    if windows:
                        time.sleep(0.2)
                        if on_box and answered < calls:
                            on_box(calls - 1, windows[-1])
                        key = keys[calls - 1] if calls - 1 < len(keys) else "Return"
                        subprocess.run(["xdotool", "key", "--window", windows[-1], *key.split()], env=self.env,
                                       stderr=subprocess.DEVNULL)
                        answered, sent_at = calls, time.time()
                time.sleep(0.1)
            if process.poll() is None:
                process.kill()
                process.wait()
        if holder:
            (self.drive_c / "windows/temp/release").write_bytes(b"")
            holder.wait(timeout=30)
        return parse_boxes(trace_path.read_bytes().decode("utf-8", "replace")), process.returncode


# Wine cuts a long string of the relay trace short and marks it with "...".
CALL = re.compile(r'Call user32\.MessageBoxA\(([0-9a-f]+),[0-9a-f]+ (?:"(?:[^"\\]|\\.)*"(?:\.\.\.)?|[0-9a-f]+),'
                  r'[0-9a-f]+ "((?:[^"\\]|\\.)*)",([0-9a-f]+)\)')
INIT = re.compile(r'MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"')
RET = re.compile(r"Ret  user32\.MessageBoxA\(\) retval=([0-9a-f]+)")


def decode_a(s):
    """A string of the relay trace: ASCII, with C escapes and \\x escapes of bytes (code page 932)."""
    out = bytearray()
    i = 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s):
            c = s[i + 1]
            if c == "x":
                out.append(int(s[i + 2:i + 4], 16))
                i += 4
                continue
            out += {"n": b"\n", "r": b"\r", "t": b"\t"}.get(c, c.encode())
            i += 2
            continue
        out += s[i].encode()
        i += 1
    return out.decode("cp932")


def decode_w(s):
    """A string of the msgbox trace: Unicode, with \\XXXX escapes of UTF-16 units."""
    out, i = [], 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s):
            c = s[i + 1]
            if c in "nrt\\\"":
                out.append({"n": "\n", "r": "\r", "t": "\t"}.get(c, c))
                i += 2
            else:
                out.append(chr(int(s[i + 1:i + 5], 16)))
                i += 5
            continue
        out.append(s[i])
        i += 1
    return "".join(out)


def parse_boxes(trace):
    """The boxes in the order they came: owner, caption, style, text, answer."""
    boxes, current = [], None
    for line in trace.splitlines():
        if (m := CALL.search(line)):
            current = [int(m.group(1), 16), decode_a(m.group(2)), int(m.group(3), 16), None, None]
            boxes.append(current)
        elif (m := INIT.search(line)) and current is not None and current[3] is None:
            current[3] = decode_w(m.group(1))
        elif (m := RET.search(line)) and current is not None:
            current[4] = int(m.group(1), 16)
    return boxes


def run_case(p: Prefix, case: Case) -> List[str]:
    p.fresh_drive()
    case.setup(p)
    p.hand_over(p.drive_c)
    for disk in p.mounts:
        p.hand_over(disk)
    roots = [p.drive_c] + ([p.small_disk_path()] if case.needs_mount else [])
    before = files_below(*roots)
    program = p.win32 / (f"variants/olvan-update-{case.variant}.exe" if case.variant else "olvan-update.exe")
    boxes, exit_code = p.run(program, case.args, case.keys, case.hold)
    if any(b[0] != 0 for b in boxes):
        return ["a box with an owner window"]
    shown = [(b[1], b[2], b[3], b[4]) for b in boxes]
    return compare(case, shown, exit_code, before, files_below(*roots)) + case.check(p)


def check_native_boxes(p: Prefix, native: Path) -> List[str]:
    """The native program with a display: its boxes are SDL's, answered like Wine's."""
    root = p.work / "native"
    game = root / "drive_c/Games/Olvan"
    game.mkdir(parents=True)
    (root / "dosdevices").mkdir()
    (root / "dosdevices/c:").symlink_to("../drive_c")
    (root / "user.reg").write_text("WINE REGISTRY Version 2\n\n[Software\\\\Brenmo\\\\Olvan] 1\n"
                                   "\"DataDir\"=\"C:\\\\Games\\\\Olvan\"\n")
    problems = []
    for keys, expected in ((["Escape"], OLD_EXECUTABLE), (["Return", "Return"], p.expected["OLVAN.PCK"])):
        (game / "OLVAN.EXE").write_bytes(OLD_EXECUTABLE)
        env = dict(p.env, WINEPREFIX=str(root))
        process = subprocess.Popen([str(native)], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        for key in keys:
            windows = []
            for _ in range(100):
                # SDL names its box in UTF8_STRING, which xdotool's search does not read.
                tree = subprocess.run(["xwininfo", "-root", "-tree"], env=p.env, capture_output=True,
                                      text=True).stdout
                windows = re.findall(r'^\s*(0x[0-9a-f]+) "Olvan update"', tree, re.M)
                if windows:
                    break
                time.sleep(0.1)
            if not windows:
                problems.append(f"{keys}: no SDL box came")
                break
            time.sleep(0.3)
            subprocess.run(["xdotool", "key", "--window", windows[-1], key], env=p.env, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
        try:
            out, _ = process.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            process.kill()
            out, _ = process.communicate()
        if process.returncode != 0 or out:
            problems.append(f"{keys}: exit code {process.returncode}, printed {out[:60]!r}")
        problems += holds(game / "OLVAN.EXE", expected, f"after {keys}")
    print(f"{'FAIL' if problems else 'pass'}  the native program's SDL boxes", flush=True)
    return problems


SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}


def check_image(win32: Path) -> List[str]:
    """The shipped image: a PE32 GUI program for i386 that needs no DLL but the system's, with
    the two records as BIN resources in language 1041, and within 64 KiB beyond them."""
    image = win32 / "olvan-update.exe"
    objdump = shutil.which("i686-w64-mingw32-objdump")
    if not objdump or not shutil.which("wrestool"):
        return ["objdump or wrestool missing"]
    problems = []
    headers = subprocess.run([objdump, "-p", "-h", str(image)], capture_output=True, text=True).stdout
    if "file format pei-i386" not in headers or "(Windows GUI)" not in headers:
        problems.append("not a PE32 GUI image for i386")
    dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", headers)}
    if not dlls <= SYSTEM_DLLS:
        problems.append(f"needs {sorted(dlls - SYSTEM_DLLS)}")
    rsrc = re.search(r"\.rsrc\s+([0-9a-f]+)", headers)
    beyond = image.stat().st_size - (int(rsrc.group(1), 16) if rsrc else 0)
    if beyond > 65536:
        problems.append(f"{beyond} bytes beyond the records")
    listed = subprocess.run(["wrestool", "-l", str(image)], capture_output=True, text=True).stdout
    found = sorted(int(size) for size in re.findall(r"--type='BIN' .*--language=1041 \[offset=\S+ size=(\d+)\]",
                                                   listed))
    stored = sorted((win32 / "resources" / r).stat().st_size for r in ("OLVAN.PCK", "12QAAS03.PCK"))
    if found != stored:
        problems.append(f"BIN resources of {found} bytes, records of {stored}")
    print(f"{'FAIL' if problems else 'pass'}  the image ({beyond} bytes beyond its records)", flush=True)
    return problems


def missing_parts():
    missing = [tool for tool in ("wine", "wineboot", "wineserver", "Xvfb", "xdotool", "xwininfo", "setpriv", "wrestool")
               if not shutil.which(tool)]
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
    if "ja_jp.utf8" not in locales:
        missing.append("the ja_JP.UTF-8 locale")
    if shutil.which("dpkg-query") and subprocess.run(["dpkg-query", "-W", "wine32:i386"],
                                                     capture_output=True).returncode != 0:
        missing.append("wine32:i386")
    return missing


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", type=Path, required=True)
    parser.add_argument("--pack", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--native", type=Path, help="the native program, to try its SDL boxes too")
    parser.add_argument("--only", help="run only the cases whose name holds this")
    args = parser.parse_args()

    missing = missing_parts()
    if not (args.win32 / "olvan-update.exe").is_file():
        missing.append(f"the Windows image ({args.win32}/olvan-update.exe)")
    if missing:
        print("The tests under Wine need " + ", ".join(missing) + ".")
        if os.environ.get("OLVAN_REQUIRE_WINE") == "1":
            return 1
        print("Skipped: scripts/test installs them when it runs as root.")
        return SKIPPED

    prefix = Prefix(args.work.resolve(), args.win32.resolve(), args.pack.resolve())
    image_problems = check_image(args.win32)
    for problem in image_problems:
        print("      " + problem, flush=True)
    failures = bool(image_problems)
    try:
        prefix.start()
        if args.native and not args.only:
            problems = check_native_boxes(prefix, args.native.resolve())
            failures += bool(problems)
            for problem in problems:
                print("      " + problem, flush=True)
        failures += run_table(lambda case: run_case(prefix, case), args.only, native=False)
    finally:
        prefix.stop()
    print(f"{failures} of the cases failed" if failures else "every case passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
