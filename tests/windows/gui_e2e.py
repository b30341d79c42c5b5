#!/usr/bin/env python3
"""setrion.exe under Wine, clicked with xdotool like a user, against the Linux setrion-sim on
COM7 of the Wine prefix: the main dialog opens the port, reads the emulation, saves a density
(the simulator's state shows it), closes the port and ends; a screenshot of each step is kept.
Usage: gui_e2e.py SETRION_EXE SETRION_SIM SHOTS_DIR (WINEPREFIX and DISPLAY set, wineboot done)."""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

EXE, SIM, SHOTS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), Path(sys.argv[3]).resolve()
PREFIX = Path(os.environ["WINEPREFIX"])
WORK = Path(tempfile.mkdtemp(prefix="setrion-wine-gui-"))
TITLE = "Printer Utiltiy"
failures = []

# Where the main dialog's controls are, in pixels from its top-left corner, with the dialog
# font of a fresh Wine prefix (8-point MS Shell Dlg at 96 dpi).
PORT_LIST = (124, 37)
OPEN_PORT = (419, 38)
GET_EMULATION = (77, 201)
DENSITY_LIST = (317, 205)
SAVE_DENSITY = (427, 199)
CLOSE_PORT = (404, 81)
EXIT = (417, 510)


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30).stdout.split()


def wait_window(name, bound=60):
    end = time.monotonic() + bound
    while time.monotonic() < end:
        found = xdo("search", "--name", name)
        if found:
            return found[0]
        time.sleep(0.3)
    return None


def shot(window, name):
    SHOTS.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", window, str(SHOTS / (name + ".png"))], timeout=30, check=False)


def click(window, at, settle=1.5):
    xdo("mousemove", "--window", window, str(at[0]), str(at[1]), "click", "1")
    time.sleep(settle)


def key(*keys, settle=0.5):
    xdo("key", *keys)
    time.sleep(settle)


def density():
    def find(j):
        if isinstance(j, dict):
            if "density" in j:
                return j["density"]
            for v in j.values():
                found = find(v)
                if found is not None:
                    return found
        return None
    try:
        return find(json.loads((WORK / "state.json").read_text()))
    except (OSError, ValueError):
        return None


def other_windows(main):
    """Top-level windows with a title besides the main dialog (message boxes, dialogs)."""
    out = []
    for w in xdo("search", "--name", "."):
        name = " ".join(xdo("getwindowname", w))
        if w != main and name and "Default IME" not in name:
            out.append((w, name))
    return out


link = WORK / "printer"
sim = subprocess.Popen([SIM, "--link", str(link), "--state", str(WORK / "state.json"), "--emulation", "escpos"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for _ in range(100):
    if link.exists():
        break
    time.sleep(0.05)
com = PREFIX / "dosdevices" / "com7"
if com.is_symlink() or com.exists():
    com.unlink()
com.symlink_to(os.path.realpath(link))

app = subprocess.Popen(["wine", EXE], cwd=WORK, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    main = wait_window(TITLE)
    check(main is not None, "the main dialog appears")
    if main is None:
        raise SystemExit(1)
    time.sleep(2)
    shot(main, "main")
    # COM7: the port list drops down, seven places down from COM1, Enter takes it.
    click(main, PORT_LIST, settle=1)
    key("Down", "Down", "Down", "Down", "Down", "Down", "Return")
    click(main, OPEN_PORT)
    shot(main, "main-port-open")
    check(not other_windows(main), "Open Port on COM7 shows no message")
    click(main, GET_EMULATION, settle=3)
    shot(main, "main-emulation")
    before = density()
    click(main, DENSITY_LIST, settle=1)
    key("Down", "Return")
    click(main, SAVE_DENSITY, settle=3)
    shot(main, "main-density-saved")
    shown = other_windows(main)
    check(len(shown) == 1, f"Save Density confirms in one window: {[n for _, n in shown]}")
    for w, _ in shown[:1]:
        shot(w, "density-information")
        key("Return", settle=1.5)
    after = density()
    check(after is not None and after != before, f"Save Density reached the printer ({before} -> {after})")
    click(main, CLOSE_PORT)
    shot(main, "main-port-closed")
    click(main, EXIT, settle=3)
    try:
        app.wait(timeout=30)
        check(True, "Exit ends the program")
    except subprocess.TimeoutExpired:
        check(False, "Exit ends the program")
finally:
    if app.poll() is None:
        app.kill()
    sim.terminate()
    sim.wait(timeout=10)

print(f"screenshots in {SHOTS}")
if failures:
    print(f"{len(failures)} failed", file=sys.stderr)
    sys.exit(1)
