"""The update's outcomes, end to end: one table of cases for both programs.

run_wine.py runs each case with the Windows image under 32-bit Wine, run_native.py with the native
program in a plain prefix. A case sets up the registry value and the installed files through an
Install (the runner's), names the keys a player presses on the boxes in turn, and says which boxes
must come, in order, and what the files must hold afterwards. Besides, every runner checks the
exit code (always 0) and that no file appeared or went away below drive C: or the small disk.
"""

import dataclasses
import os
import subprocess
import time
from pathlib import Path
from typing import Callable, List, Optional, Union

EXECUTABLE_STAMP = 971424710  # 2000-10-13 08:11:50 UTC
VOICE_STAMP = 968599678  # 2000-09-10 15:27:58 UTC
OLD_EXECUTABLE = b"the executable at version 1.03"
OLD_VOICE = b"the voice before"

CAPTION = "Olvan update"
MB_OK, MB_OKCANCEL_QUESTION = 0x00, 0x21
IDOK, IDCANCEL = 1, 2


@dataclasses.dataclass
class Box:
    text: str
    caption: str = CAPTION
    style: int = MB_OK
    answer: int = IDOK


CONFIRM = Box("Olvan.exeをバージョン1.04に\n書き換えてよろしいですか？", style=MB_OKCANCEL_QUESTION)
CANCELLED = dataclasses.replace(CONFIRM, answer=IDCANCEL)
NOT_INSTALLED = Box("Ｏｌｖａｎがインストールされていません。")
NOT_FOUND = Box("Olvan.exeが見つかりません。")
FINISHED = Box("データーの更新が終了しました。")
CANNOT_WRITE = Box("Olvan.exeに書き込みできません。")
DISK_FULL = Box("書き込みに失敗しました。\nディスク領域が不足しています。\nディスクの空き領域を増やしてから、もう一度実行してください。")
VOICE_CANNOT_WRITE = Box("10226a_aが書き込みできません。")


def no_resource(payload):
    return Box("リソースが見つかりません", payload)


def cannot_open(payload):
    return Box("ファイルがひらけません", payload)


def too_large(payload):
    return Box("ファイルがおおきすぎます", payload)


@dataclasses.dataclass
class Value:
    """A registry value: kind is REG_SZ, REG_EXPAND_SZ (data a str), REG_BINARY (bytes) or
    REG_DWORD (an int)."""
    kind: str
    data: Union[str, bytes, int]


def sz(text):
    return Value("REG_SZ", text)


class Install:
    """A prefix with the game in it, as a case sets it up; run_wine.py and run_native.py make
    theirs. The runner's prefix is root, its drive C: drive_c, its scratch folder work."""
    root: Path
    drive_c: Path
    work: Path

    def __init__(self):
        self.mounts = []
        self.expected = {}  # record name -> its expanded bytes

    def set_value(self, value: Optional[Value]):
        """DataDir of HKCU\\Software\\Brenmo\\Olvan; None removes the key."""
        raise NotImplementedError

    def expand_records(self, pack: Path, resources: Path):
        """What the program must write: its two records, expanded by olvan-pack."""
        for record in ("OLVAN.PCK", "12QAAS03.PCK"):
            out = self.work / (record + ".expanded")
            subprocess.run([str(pack), "expand", str(resources / record), str(out)], check=True)
            self.expected[record] = out.read_bytes()

    def small_disk(self, size: str) -> Optional[Path]:
        """A real tmpfs of that size as drive D:, or None where it cannot be mounted."""
        disk = self.work / f"disk-{len(self.mounts)}"
        disk.mkdir()
        if subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size},mode=0755", "tmpfs", str(disk)],
                          capture_output=True).returncode != 0:
            return None
        self.mounts.append(disk)
        link = self.root / "dosdevices" / "d:"
        if link.is_symlink():
            link.unlink()
        link.symlink_to(disk)
        return disk

    def small_disk_path(self) -> Path:
        return Path(os.readlink(self.root / "dosdevices" / "d:"))

    def unmount(self):
        for mount in self.mounts:
            subprocess.run(["umount", "-l", str(mount)], capture_output=True)

    def install(self, folder="GAMES/OLVAN", voice=True, data_dir=r"C:\Games\Olvan") -> Path:
        """The game as its installer leaves it, folders spelled in capitals."""
        self.set_value(sz(data_dir))
        game = self.drive_c / folder
        (game / "VOICE/KELO").mkdir(parents=True, exist_ok=True)
        (game / "OLVAN.EXE").write_bytes(OLD_EXECUTABLE)
        if voice:
            (game / "VOICE/KELO/10226A_A").mkdir()
            (game / "VOICE/KELO/10226A_A/12QAAS03.PCM").write_bytes(OLD_VOICE)
        return game


@dataclasses.dataclass
class Case:
    name: str
    setup: Callable[[Install], None]
    boxes: List[Box]
    check: Callable[[Install], List[str]] = lambda t: []
    keys: List[str] = dataclasses.field(default_factory=list)  # xdotool keys; Return where none
    variant: Optional[str] = None  # a program variant of the tests: another payload store
    args: List[str] = dataclasses.field(default_factory=list)
    hold: Optional[str] = None  # a Windows path that another program holds open meanwhile
    needs_mount: bool = False
    wine_only: bool = False  # Wine's share modes, which a native program cannot see


# -- checks ---------------------------------------------------------------------------------------

def holds(path: Path, expected: bytes, what: str) -> List[str]:
    if not path.is_file():
        return [f"{what}: {path} is missing"]
    actual = path.read_bytes()
    return [] if actual == expected else [f"{what}: {len(actual)} bytes where {len(expected)} were expected"]


def stamped(path: Path, stamp: int, what: str) -> List[str]:
    st = path.stat()
    problems = []
    if int(st.st_mtime) != stamp or int(st.st_atime) != stamp:
        problems.append(f"{what}: times {int(st.st_mtime)}/{int(st.st_atime)}, not {stamp}")
    if not st.st_mode & 0o200:
        problems.append(f"{what}: left read-only")
    return problems


def game(t: Install, folder="GAMES/OLVAN") -> Path:
    return t.drive_c / folder


def voice(t: Install, folder="GAMES/OLVAN") -> Path:
    return game(t, folder) / "VOICE/KELO/10226A_A/12QAAS03.PCM"


def unchanged(t: Install) -> List[str]:
    return holds(game(t) / "OLVAN.EXE", OLD_EXECUTABLE, "executable") + holds(voice(t), OLD_VOICE, "voice")


def replaced(folder="GAMES/OLVAN", with_voice=True):
    def check(t: Install) -> List[str]:
        # The times first: reading a file may move its access time.
        exe = game(t, folder) / "OLVAN.EXE"
        problems = stamped(exe, EXECUTABLE_STAMP, "executable")
        if with_voice:
            problems += stamped(voice(t, folder), VOICE_STAMP, "voice")
            problems += holds(voice(t, folder), t.expected["12QAAS03.PCK"], "voice")
        return problems + holds(exe, t.expected["OLVAN.PCK"], "executable")
    return check


def only_executable_replaced(t: Install) -> List[str]:
    return holds(game(t) / "OLVAN.EXE", t.expected["OLVAN.PCK"], "executable") + \
        holds(voice(t), OLD_VOICE, "voice")


# -- set-ups --------------------------------------------------------------------------------------

def make_read_only(path_of):
    def setup(t: Install):
        t.install()
        path_of(t).chmod(0o444)
    return setup


def folder_in_place(path_of):
    def setup(t: Install):
        t.install()
        target = path_of(t)
        target.unlink()
        target.mkdir()
    return setup


def on_small_disk(size):
    def setup(t: Install):
        disk = t.small_disk(size)
        t.set_value(sz("D:\\"))
        (disk / "Olvan.exe").write_bytes(OLD_EXECUTABLE)
        (disk / "Voice/Kelo/10226a_a").mkdir(parents=True)
        (disk / "Voice/Kelo/10226a_a/12qaas03.pcm").write_bytes(OLD_VOICE)
    return setup


def disk_holds(executable_whole):
    def check(t: Install):
        disk = t.small_disk_path()
        exe = (disk / "Olvan.exe").read_bytes()
        problems = [] if (exe == t.expected["OLVAN.PCK"]) == executable_whole else \
            [f"executable of {len(exe)} bytes"]
        if len((disk / "Voice/Kelo/10226a_a/12qaas03.pcm").read_bytes()) >= len(t.expected["12QAAS03.PCK"]):
            problems.append("the voice file was written whole")
        return problems
    return check


def value_then_install(value: Value, folder: str):
    def setup(t: Install):
        t.install(folder=folder)
        t.set_value(value)
    return setup


def no_voice_folder_made(t: Install) -> List[str]:
    return holds(game(t) / "OLVAN.EXE", t.expected["OLVAN.PCK"], "executable") + \
        (["a voice folder was made"] if (game(t) / "VOICE/KELO/10226A_A").exists() else [])


# Folders whose names are full of characters with the trail byte 0x5C (表 95 5C, ソ 83 5C,
# 十 8F 5C, 予 97 5C), last of all the folder's last character.
TRAIL_BYTES = "表示\\ソフト十予表"

CASES = [
    # The registry value.
    Case("no install folder in the registry", lambda t: t.set_value(None), [NOT_INSTALLED]),
    Case("an empty install folder", lambda t: t.set_value(sz("")), [NOT_INSTALLED]),
    Case("a huge install folder value", lambda t: t.set_value(sz("C:\\" + "x" * 100000)), [NOT_INSTALLED]),
    Case("a 260-byte value without a zero", lambda t: t.set_value(Value("REG_BINARY", b"C" * 260)),
         [NOT_INSTALLED]),
    Case("a 259-byte value, too long for the executable's path",
         lambda t: t.set_value(sz("C:\\" + "x" * 256)), [NOT_FOUND]),
    Case("binary data without a zero", value_then_install(Value("REG_BINARY", b"C:\\Games\\Olvan"), "GAMES/OLVAN"),
         [CONFIRM, FINISHED], replaced()),
    Case("a dword spelling C:", value_then_install(Value("REG_DWORD", 0x3A43), "."), [CONFIRM, FINISHED],
         replaced(".")),
    Case("an expandable string is not expanded",
         value_then_install(Value("REG_EXPAND_SZ", "%SystemDrive%\\Games\\Olvan"), "GAMES/OLVAN"), [NOT_FOUND]),
    Case("a lone backslash: the current drive's root", value_then_install(sz("\\"), "."), [CONFIRM, FINISHED],
         replaced(".")),
    Case("folders full of 0x5C trail bytes",
         lambda t: t.install(folder=TRAIL_BYTES.replace("\\", "/"), data_dir="C:\\" + TRAIL_BYTES),
         [CONFIRM, FINISHED], replaced(TRAIL_BYTES.replace("\\", "/"))),
    Case("an install folder that ends in a backslash", lambda t: t.install(data_dir="C:\\Games\\Olvan\\"),
         [CONFIRM, FINISHED], replaced()),
    Case("no executable", lambda t: t.set_value(sz(r"C:\Nowhere")), [NOT_FOUND]),

    # The confirmation.
    Case("the confirmation cancelled with Escape", Install.install, [CANCELLED], unchanged, keys=["Escape"]),
    Case("the confirmation cancelled with its Cancel button", Install.install, [CANCELLED], unchanged,
         keys=["Tab Return"]),
    Case("the confirmation closed with its close box", Install.install, [CANCELLED], unchanged, keys=["alt+F4"]),
    Case("arguments on the command line change nothing", Install.install, [CONFIRM, FINISHED], replaced(),
         args=[r"C:\Elsewhere", "/silent"]),

    # The executable's phase.
    Case("no executable payload", Install.install, [CONFIRM, no_resource("olvan.pck")], unchanged,
         variant="no-exe-payload"),
    Case("an executable record cut short", Install.install, [CONFIRM, no_resource("olvan.pck")], unchanged,
         variant="cut"),
    Case("an executable record reaching before its output", Install.install, [CONFIRM, no_resource("olvan.pck")],
         unchanged, variant="before"),
    Case("an executable record whose length runs past it", Install.install, [CONFIRM, no_resource("olvan.pck")],
         unchanged, variant="past"),
    Case("an executable record expanding past 1,400,000 bytes", Install.install,
         [CONFIRM, no_resource("olvan.pck")], unchanged, variant="huge"),
    Case("a read-only executable", make_read_only(lambda t: game(t) / "OLVAN.EXE"),
         [CONFIRM, cannot_open("olvan.pck"), CANNOT_WRITE], unchanged),
    Case("an executable held open by a running program", Install.install,
         [CONFIRM, cannot_open("olvan.pck"), CANNOT_WRITE], unchanged, hold=r"C:\GAMES\OLVAN\OLVAN.EXE",
         wine_only=True),
    Case("a folder named olvan.exe", folder_in_place(lambda t: game(t) / "OLVAN.EXE"),
         [CONFIRM, cannot_open("olvan.pck"), CANNOT_WRITE]),
    Case("a disk that fills during the executable", on_small_disk("64k"),
         [CONFIRM, too_large("olvan.pck"), DISK_FULL], disk_holds(False), needs_mount=True),

    # The voice phase.
    Case("no voice data installed", lambda t: t.install(voice=False), [CONFIRM, FINISHED], no_voice_folder_made),
    Case("both files replaced, folders in capitals", Install.install, [CONFIRM, FINISHED], replaced()),
    Case("no voice payload", Install.install, [CONFIRM, no_resource("12QAAS03.pck"), VOICE_CANNOT_WRITE],
         only_executable_replaced, variant="no-voice-payload"),
    Case("a voice record cut short", Install.install, [CONFIRM, no_resource("12QAAS03.pck"), VOICE_CANNOT_WRITE],
         only_executable_replaced, variant="voice-cut"),
    Case("a read-only voice file", make_read_only(voice),
         [CONFIRM, cannot_open("12QAAS03.pck"), VOICE_CANNOT_WRITE], only_executable_replaced),
    Case("a folder in the voice file's place", folder_in_place(voice),
         [CONFIRM, cannot_open("12QAAS03.pck"), VOICE_CANNOT_WRITE]),
    Case("a disk that fills during the voice file", on_small_disk("880k"),
         [CONFIRM, too_large("12QAAS03.pck"), VOICE_CANNOT_WRITE, DISK_FULL], disk_holds(True), needs_mount=True),
]


def files_below(*roots: Path) -> set:
    """Every file and folder below the roots, but Wine's own."""
    own = {"windows", "users", "Program Files", "Program Files (x86)", "ProgramData"}
    found = set()
    for root in roots:
        if not root.exists():
            continue
        for entry in root.iterdir():
            if entry.name in own:
                continue
            found.add(entry)
            if entry.is_dir() and not entry.is_symlink():
                found |= {p for p in entry.rglob("*")}
    return found


def compare(case: Case, shown, exit_code, before: set, after: set, buttons_only=False) -> List[str]:
    """What every run must show: the exit code 0, the case's boxes, and no file made or lost."""
    problems = []
    if exit_code != 0:
        problems.append(f"exit code {exit_code}")
    mask = 0x0F if buttons_only else 0xFFFFFFFF
    got = [(caption, style & mask, text, answer) for caption, style, text, answer in shown]
    want = [(b.caption, b.style & mask, b.text, b.answer) for b in case.boxes]
    if got != want:
        problems.append("boxes:\n      shown    " + "\n               ".join(map(repr, got)) +
                        "\n      expected " + "\n               ".join(map(repr, want)))
    if before != after:
        made = sorted(str(p) for p in after - before)
        lost = sorted(str(p) for p in before - after)
        problems.append(f"files made: {made}, files gone: {lost}")
    return problems


def run_table(runner, only: Optional[str], native: bool) -> int:
    """Runs the cases that apply; returns how many failed."""
    failures = 0
    for case in CASES:
        if only and only not in case.name:
            continue
        if native and case.wine_only:
            continue
        if case.needs_mount and os.geteuid() != 0:
            print(f"skip  {case.name}: mounting a small tmpfs needs root", flush=True)
            continue
        started = time.time()
        problems = runner(case)
        failures += bool(problems)
        print(f"{'FAIL' if problems else 'pass'}  {case.name} ({time.time() - started:.1f} s)", flush=True)
        for problem in problems:
            print("      " + problem, flush=True)
    return failures
