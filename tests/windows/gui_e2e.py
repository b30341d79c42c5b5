#!/usr/bin/env python3
"""setrion.exe under Wine, clicked with xdotool like a user, against the Linux setrion-sim on
COM7 of the Wine prefix and `setrion-sim lan` on the loopback broadcast. Every dialog is
driven: the main dialog (open port, emulation, Bluetooth, density), the font dialogs (a folder
whose name holds "é" and "測", a font, an id, the download), the Wi-Fi dialog on a
command-mode module (an SSID with a space saved and read back) and in network mode (the
search lists the modules). A screenshot of each dialog and message box is kept.

Controls are found by their ids (read from the dialog id headers) in the layout file the
program keeps under SETRION_LAYOUT_FILE: screen rectangles of every control, whatever the font
and the window position, so no click depends on a pixel offset.
Usage: gui_e2e.py SETRION_EXE SETRION_SIM SHOTS_DIR (WINEPREFIX and DISPLAY set, wineboot done)."""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from wine_ports import map_com_port

EXE, SIM, SHOTS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), Path(sys.argv[3]).resolve()
ROOT = Path(__file__).resolve().parents[2]
PREFIX = Path(os.environ["WINEPREFIX"])
WORK = Path(tempfile.mkdtemp(prefix="setrion-wine-gui-"))
LAYOUT = WORK / "layout.json"
MAIN_TITLE = "Printer Utiltiy"
WIFI_TITLE = "Wi-Fi Settings Dialog"
FONT_SELECT_TITLE = "Download Font Selection Dialog"
FONT_ID_TITLE = "Download Font ID Setting"
# A small TrueType font of Wine's own; the download sends the file as it is.
FONT_FILE = Path("/usr/share/wine/fonts/webdings.ttf")
# Below the prefix's font folder, where the folder chooser starts: one step down the tree.
FONT_FOLDER_NAME = "Polices é 測"
SSID = "Work shop 7"
# The Wi-Fi dialog's INI file, in a folder whose name the ANSI code page cannot spell.
INI = WORK / "réglages 測" / "Tessun_WIFI.ini"
INI_TEXT = b"[WiFiInfo]\r\nSSID=From the INI\r\n"
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def ids(header):
    """The control ids a dialog id header defines, by name (kOpenPort -> 1005)."""
    text = (ROOT / header).read_text(encoding="utf-8")
    return {m[1]: int(m[2]) for m in re.finditer(r"constexpr int (k\w+) = (\d+);", text)}


KIT = ids("ui/kit/shell.h")
MAIN = ids("ui/main/main_dialog_ids.h")
WIFI = ids("ui/wifi/wifi_dialog_ids.h")
FONT = ids("ui/fonts/font_dialog_ids.h")


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30).stdout.split()


def poll(predicate, bound, step=0.2):
    """predicate()'s first true value within `bound` seconds, else None."""
    end = time.monotonic() + bound
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= end:
            return None
        time.sleep(step)


def layout():
    try:
        return json.loads(LAYOUT.read_text(encoding="utf-8"))
    except (OSError, ValueError):
        return {"windows": []}


def window(title):
    """The shown dialog window with this title in the layout, or None."""
    for w in layout()["windows"]:
        if title in w["title"] and w["visible"]:
            return w
    return None


def control(title, cid):
    w = window(title)
    if w is None:
        return None
    return next((c for c in w["controls"] if c["id"] == cid), None)


def message():
    return layout().get("message")


def x_window(title, bound=30):
    found = poll(lambda: xdo("search", "--onlyvisible", "--name", re.escape(title)), bound)
    return found[-1] if found else None


def shot(title, name):
    """A screenshot of the top-level window with this title."""
    w = x_window(title, bound=10)
    if w is None:
        check(False, f"screenshot {name}: no window {title!r}")
        return
    time.sleep(0.5)  # the last paint
    SHOTS.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", w, str(SHOTS / (name + ".png"))], timeout=30, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def click(title, cid, at=None, settle=0.3):
    """Clicks the centre of control `cid` of the dialog `title` (or a point `at` of it, given
    as fractions of its width and height)."""
    c = poll(lambda: control(title, cid), 20)
    if c is None:
        raise RuntimeError(f"no control {cid} in {title!r}")
    left, top, right, bottom = c["rect"]
    fx, fy = at or (0.5, 0.5)
    x, y = int(left + (right - left) * fx), int(top + (bottom - top) * fy)
    xdo("mousemove", "--sync", str(x), str(y))
    xdo("click", "1")
    time.sleep(settle)


def key(*keys, settle=0.3):
    xdo("key", "--delay", "60", *keys)
    time.sleep(settle)


def type_text(text):
    xdo("type", "--delay", "60", text)
    time.sleep(0.3)


def choose(title, cid, item):
    """Drops the list down and picks `item` with the keyboard, as a user would."""
    c = poll(lambda: control(title, cid), 20)
    items = c["items"]
    if item not in items:
        raise RuntimeError(f"{item!r} is not in the list {cid} of {title!r}: {items}")
    click(title, cid)
    key("Home", *(["Down"] * items.index(item)), "Return")
    return poll(lambda: control(title, cid)["selection"] == items.index(item), 10)


# The text controls of the windows that report a result and wait for OK (id 1).
REPORT_TEXT_IDS = (ids("ui/main/information_window.h")["kTextId"], ids("ui/main/status_window.h")["kTextId"])


def report_window():
    """A shown window that reports a result (an information or status window): (title, text)."""
    for w in layout()["windows"]:
        if not w["visible"]:
            continue
        texts = [c["text"] for c in w["controls"] if c["id"] in REPORT_TEXT_IDS and c["kind"] == "static"]
        if texts and any(c["id"] == KIT["kIdOk"] and c["visible"] for c in w["controls"]):
            return w["title"], texts[0]
    return None


def answer_message(name, bound=60):
    """Waits for a message box or a report window, keeps its screenshot, presses its OK and
    returns its text (None when none came within `bound` seconds)."""
    found = poll(lambda: message() or report_window(), bound)
    if found is None:
        return None
    if isinstance(found, dict):
        shot(found["caption"], name)
        key("Return")
        poll(lambda: message() is None, 10)
        return found["text"]
    title, text = found
    shot(title, name)
    click(title, KIT["kIdOk"])
    poll(lambda: window(title) is None, 10)
    return text


def only_shown(*titles, bound=15):
    """Waits until the shown windows are these dialogs alone (a status window has gone)."""
    return poll(lambda: all(any(t in w["title"] for t in titles)
                            for w in layout()["windows"] if w["visible"]), bound)


def idle(title, cid, bound):
    """Waits until control `cid` is enabled again (a sequence has ended)."""
    return poll(lambda: (control(title, cid) or {}).get("enabled"), bound)


def state(path):
    try:
        return json.loads(Path(path).read_text())
    except (OSError, ValueError):
        return {}


def find_key(j, name):
    if isinstance(j, dict):
        if name in j:
            return j[name]
        for v in j.values():
            found = find_key(v, name)
            if found is not None:
                return found
    if isinstance(j, list):
        for v in j:
            found = find_key(v, name)
            if found is not None:
                return found
    return None


class Sim:
    """setrion-sim on a pty, mapped to COM7 of the Wine prefix."""

    def __init__(self, *args):
        link = WORK / "printer"
        self.state = WORK / "state.json"
        self.proc = subprocess.Popen([SIM, "--link", str(link), "--state", str(self.state), *args],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        poll(link.exists, 5, step=0.05)
        map_com_port(PREFIX, "COM7", link)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


class App:
    """setrion.exe with the layout file kept."""

    def __init__(self, *args):
        LAYOUT.unlink(missing_ok=True)
        env = dict(os.environ, SETRION_LAYOUT_FILE=wine_path(LAYOUT))
        self.proc = subprocess.Popen(["wine", EXE, *args], cwd=WORK, env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def end(self):
        try:
            self.proc.wait(timeout=30)
            return True
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return False


def wine_path(path):
    # Wine maps the Unix root to drive Z:.
    return "Z:" + str(path).replace("/", "\\")


def main_dialog(sim):
    check(poll(lambda: window(MAIN_TITLE), 60) is not None, "the main dialog appears")
    shot(MAIN_TITLE, "main")
    check(choose(MAIN_TITLE, MAIN["kPort"], "COM7"), "COM7 chosen in the port list")
    click(MAIN_TITLE, MAIN["kOpenPort"])
    opened = poll(lambda: control(MAIN_TITLE, MAIN["kClosePort"])["enabled"] or message(), 30)
    check(opened is True, f"Open Port on COM7 opens it without a message: {message()}")
    shot(MAIN_TITLE, "main-port-open")

    click(MAIN_TITLE, MAIN["kGetEmulation"])
    shown = poll(lambda: control(MAIN_TITLE, MAIN["kEmulationText"])["text"], 30)
    check(shown and "ESC" in shown.upper(), f"Get Emulation shows the emulation: {shown!r}")
    text = answer_message("emulation-message", bound=2)  # some emulations confirm in a box
    if text:
        print(f"     (Get Emulation said {text!r})")

    click(MAIN_TITLE, MAIN["kGetBluetooth"])
    address = poll(lambda: control(MAIN_TITLE, MAIN["kBtAddress"])["text"], 30)
    check(address == "00:19:01:2A:3B:4C", f"Get Bluetooth Information shows the address: {address!r}")
    answer_message("bluetooth-message", bound=2)
    shot(MAIN_TITLE, "main-bluetooth")

    before = find_key(state(sim.state), "density")
    density = control(MAIN_TITLE, MAIN["kDensity"])
    other = next(i for i in density["items"] if density["selection"] < 0 or i != density["items"][density["selection"]])
    choose(MAIN_TITLE, MAIN["kDensity"], other)
    click(MAIN_TITLE, MAIN["kSaveDensity"])
    text = answer_message("density-message")
    check(text is not None, f"Save Density confirms in a message box: {text!r}")
    changed = poll(lambda: find_key(state(sim.state), "density") != before, 10)
    check(changed, f"Save Density reached the printer ({before} -> {find_key(state(sim.state), 'density')})")


def font_download(sim):
    folder = PREFIX / "drive_c" / "windows" / "Fonts" / FONT_FOLDER_NAME
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(FONT_FILE, folder / "Webdings é.ttf")

    click(MAIN_TITLE, MAIN["kFontOpen"])
    check(poll(lambda: window(FONT_SELECT_TITLE), 30) is not None, "Font Open shows the font selection")
    shot(FONT_SELECT_TITLE, "font-select")
    before = set(map(str, control(FONT_SELECT_TITLE, FONT["kFontList"])["items"]))
    click(FONT_SELECT_TITLE, FONT["kFontOpenFolder"], settle=1)
    # The folder chooser starts at the font folder; its only subfolder is one step down.
    chooser = poll(lambda: [w for w in xdo("search", "--onlyvisible", "--name", ".")
                            if " ".join(xdo("getwindowname", w)) in ("Browse for Folder", "Browse for folder")], 20)
    check(chooser is not None, "Open Folder shows the folder chooser")
    if chooser:
        subprocess.run(["import", "-window", chooser[-1], str(SHOTS / "font-folder-chooser.png")],
                       timeout=30, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    key("Right", "Down", settle=0.5)
    key("Return", settle=1)
    wanted = "C:\\windows\\Fonts\\" + FONT_FOLDER_NAME + "\\"
    shown = poll(lambda: (control(FONT_SELECT_TITLE, FONT["kFontFolder"]) or {}).get("text") == wanted, 15)
    check(shown, f"the chosen folder is shown: {control(FONT_SELECT_TITLE, FONT['kFontFolder'])['text']!r}"
                 f" (was listing {sorted(before)})")
    items = control(FONT_SELECT_TITLE, FONT["kFontList"])["items"]
    check(items == ["Webdings é.ttf"], f"the folder's font is listed: {items}")
    click(FONT_SELECT_TITLE, FONT["kFontList"], at=(0.5, 0.1))
    key("Home")
    check(poll(lambda: control(FONT_SELECT_TITLE, KIT["kIdOk"])["enabled"], 5), "choosing the font enables Select")
    shot(FONT_SELECT_TITLE, "font-select-chosen")
    click(FONT_SELECT_TITLE, KIT["kIdOk"])

    check(poll(lambda: window(FONT_ID_TITLE), 30) is not None, "Select shows the font id dialog")
    ids_list = control(FONT_ID_TITLE, FONT["kFontIdList"])["items"]
    font_id = ids_list[2]
    choose(FONT_ID_TITLE, FONT["kFontIdList"], font_id)
    click(FONT_ID_TITLE, FONT["kFontFlash"])
    check(poll(lambda: control(FONT_ID_TITLE, FONT["kFontFlash"])["checked"], 5), "Flash is checked")
    shot(FONT_ID_TITLE, "font-id")
    click(FONT_ID_TITLE, KIT["kIdOk"])
    poll(lambda: window(FONT_ID_TITLE) is None, 10)

    check(idle(MAIN_TITLE, MAIN["kFontDownload"], 10), "Download is enabled once a font is chosen")
    shot(MAIN_TITLE, "main-font-chosen")
    click(MAIN_TITLE, MAIN["kFontDownload"], settle=1)
    # The job may be kept in a file as well: the save chooser comes first; cancelled, the
    # font goes to the printer only.
    saver = poll(lambda: xdo("search", "--onlyvisible", "--name", "^Save As$"), 20)
    check(saver is not None, "Download offers to keep the job in a file")
    if saver:
        subprocess.run(["import", "-window", saver[-1], str(SHOTS / "font-save-chooser.png")],
                       timeout=30, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        key("Escape", settle=1)
    text = answer_message("font-download-question", bound=30)
    check(text == "Download font to printer ?", f"Download asks first: {text!r}")
    text = answer_message("font-download-information", bound=120)
    check(text == "Font download is success.", f"Download reports success: {text!r}")
    stored = poll(lambda: find_key(state(sim.state), "stored"), 30)
    check(bool(stored) and any(str(f.get("id")) == font_id and f.get("memory") == "flash" for f in stored),
          f"the printer stores the font as id {font_id} in flash: {stored}")


def wifi_command_mode(sim):
    # The main dialog's port is closed first: the Wi-Fi dialog opens the port of its own.
    click(MAIN_TITLE, MAIN["kClosePort"])
    poll(lambda: control(MAIN_TITLE, MAIN["kOpenPort"])["enabled"], 10)
    click(MAIN_TITLE, MAIN["kStartWifi"])
    check(poll(lambda: window(WIFI_TITLE), 30) is not None, "Start Wi-Fi Settings shows the Wi-Fi dialog")
    shown = control(WIFI_TITLE, WIFI["kSsid"])["text"]
    check(shown == "From the INI", f"the SSID comes from the INI file: {shown!r}")
    shot(WIFI_TITLE, "wifi")
    check(choose(WIFI_TITLE, WIFI["kPort"], "COM7"), "COM7 chosen in the Wi-Fi dialog")
    click(WIFI_TITLE, WIFI["kOpenPort"])
    opened = poll(lambda: control(WIFI_TITLE, WIFI["kGet"])["enabled"] or message(), 60)
    check(opened is True, f"Open Port reaches the command-mode module: {message()}")
    shot(WIFI_TITLE, "wifi-port-open")

    click(WIFI_TITLE, WIFI["kGet"])
    text = answer_message("wifi-get-message", bound=120)
    check(text is not None, f"Get reports in a message box: {text!r}")
    idle(WIFI_TITLE, WIFI["kGet"], 30)
    shot(WIFI_TITLE, "wifi-got")

    click(WIFI_TITLE, WIFI["kSsid"])
    key("End", "shift+Home", "BackSpace")
    type_text(SSID)
    check(poll(lambda: control(WIFI_TITLE, WIFI["kSsid"])["text"] == SSID, 5), f"the SSID reads {SSID!r}")
    click(WIFI_TITLE, WIFI["kSave"])
    text = answer_message("wifi-save-message", bound=180)
    check(text is not None and "Save Completed" in text, f"Save completes: {text!r}")
    idle(WIFI_TITLE, WIFI["kGet"], 30)
    stored = poll(lambda: find_key(state(sim.state), "ssid") == SSID, 10)
    check(stored, f"the module stores the SSID whole: {find_key(state(sim.state), 'ssid')!r}")

    click(WIFI_TITLE, WIFI["kSsid"])
    key("End", "shift+Home", "BackSpace")
    click(WIFI_TITLE, WIFI["kGet"])
    answer_message("wifi-get-again-message", bound=120)
    idle(WIFI_TITLE, WIFI["kGet"], 30)
    shown = control(WIFI_TITLE, WIFI["kSsid"])["text"]
    check(shown == SSID, f"Get shows the saved SSID whole: {shown!r}")
    shot(WIFI_TITLE, "wifi-saved")
    click(WIFI_TITLE, WIFI["kClosePort"])
    click(WIFI_TITLE, WIFI["kExit"])
    check(poll(lambda: window(WIFI_TITLE) is None, 20), "Exit closes the Wi-Fi dialog")
    # Only a settings-block module's dialog writes the file back.
    kept = INI.read_bytes()
    check(kept == INI_TEXT, f"the INI file is left as it was: {kept!r}")


def wifi_network_mode():
    base = 40000 + os.getpid() % 20000
    ports = [str(base + i) for i in range(4)]
    lan = subprocess.Popen([SIM, "lan", "--mgmt-port", ports[0], "--text-port", ports[1],
                            "--state", str(WORK / "lan.json"), "--max-seconds", "600"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = App("--broadcast", "127.255.255.255", "--mgmt-port", ports[0], "--mgmt-local-port", ports[2],
              "--text-port", ports[1], "--text-local-port", ports[3])
    try:
        check(poll(lambda: window(MAIN_TITLE), 60) is not None, "the program starts again for the network")
        click(MAIN_TITLE, MAIN["kStartWifi"])
        check(poll(lambda: window(WIFI_TITLE), 30) is not None, "the Wi-Fi dialog opens")
        port = control(WIFI_TITLE, WIFI["kPort"])
        choose(WIFI_TITLE, WIFI["kPort"], port["items"][WIFI["kNetworkPortIndex"]])
        check(poll(lambda: control(WIFI_TITLE, WIFI["kWifiSearch"])["visible"], 10),
              "the network entry shows Wi-Fi Search")
        click(WIFI_TITLE, WIFI["kWifiSearch"])
        found = poll(lambda: len(control(WIFI_TITLE, WIFI["kPrinterList"])["items"]) >= 3
                     and control(WIFI_TITLE, WIFI["kPrinterList"])["items"], 60)
        answer_message("wifi-search-message", bound=3)
        check(found is not None, f"Wi-Fi Search lists the modules: {found}")
        check(only_shown(MAIN_TITLE, WIFI_TITLE), "the searching window goes once the answers stop")
        if found:
            check(any("02:00:00:00:00:01" in i.upper() or "02-00-00-00-00-01" in i.upper() for i in found)
                  or len(found) >= 3, "the list names the first module")
        shot(WIFI_TITLE, "wifi-network")
        click(WIFI_TITLE, WIFI["kExit"])
        poll(lambda: window(WIFI_TITLE) is None, 20)
        click(MAIN_TITLE, MAIN["kExit"])
        check(app.end(), "Exit ends the program (network run)")
    finally:
        if app.proc.poll() is None:
            app.proc.kill()
        lan.terminate()
        lan.wait(timeout=10)


def main():
    SHOTS.mkdir(parents=True, exist_ok=True)
    for old in SHOTS.glob("*.png"):
        old.unlink()
    sim = Sim("--emulation", "escpos", "--module", "command", "--generation", "3")
    INI.parent.mkdir(parents=True, exist_ok=True)
    INI.write_bytes(INI_TEXT)
    app = App("--wifi-ini", wine_path(INI))
    try:
        main_dialog(sim)
        font_download(sim)
        wifi_command_mode(sim)
        click(MAIN_TITLE, MAIN["kExit"])
        check(app.end(), "Exit ends the program")
    except Exception as error:  # a missing window or control: the rest cannot run
        check(False, f"{type(error).__name__}: {error}")
        shot(MAIN_TITLE, "failure")
    finally:
        if app.proc.poll() is None:
            app.proc.kill()
        sim.stop()
    try:
        wifi_network_mode()
    except Exception as error:
        check(False, f"network mode: {type(error).__name__}: {error}")
    print(f"screenshots in {SHOTS}")
    if failures:
        print(f"{len(failures)} GUI end-to-end check(s) failed", file=sys.stderr)
        return 1
    print("GUI end-to-end: all checks passed")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
