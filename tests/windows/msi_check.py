#!/usr/bin/env python3
"""The MSI installed silently and removed again under Wine, as an administrator deploys it:
the programs, README and licence under Program Files, the Start-menu shortcut and the
uninstall entry are there after `msiexec /i ... /qn` and gone after `/x`.
Usage: msi_check.py SETRION.msi (WINEPREFIX set, wineboot done)."""

import os
import subprocess
import sys
from pathlib import Path

MSI = sys.argv[1]
DRIVE_C = Path(os.environ["WINEPREFIX"]) / "drive_c"
INSTALLED = [DRIVE_C / "Program Files/Setrion" / name
             for name in ("setrion.exe", "setrion-cli.exe", "README.txt", "LICENSE.txt")]
# The all-users Start menu; Wine resolves a per-machine shortcut to the user's own menu.
SHORTCUTS = [DRIVE_C / "ProgramData/Microsoft/Windows/Start Menu/Programs/Setrion.lnk",
             *(DRIVE_C / "users").glob("*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")]
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def msiexec(*args):
    return subprocess.run(["wine", "msiexec", *args], capture_output=True, text=True, timeout=300).returncode


def uninstall_entry():
    r = subprocess.run(["wine", "reg", "query", UNINSTALL, "/s"], capture_output=True, text=True, timeout=120)
    return "Setrion" in r.stdout


check(msiexec("/i", MSI, "/qn") == 0, "msiexec /i /qn succeeds")
for path in INSTALLED:
    check(path.is_file(), f"installed {path.relative_to(DRIVE_C)}")
def shortcut():
    return any((p if p.suffix == ".lnk" else p / "Setrion.lnk").is_file() for p in SHORTCUTS)


check(shortcut(), "Start-menu shortcut")
check(uninstall_entry(), "uninstall entry")
check(msiexec("/x", MSI, "/qn") == 0, "msiexec /x /qn succeeds")
check(not any(p.exists() for p in INSTALLED), "files removed")
check(not shortcut(), "shortcut removed")
check(not uninstall_entry(), "uninstall entry removed")
if failures:
    sys.exit(1)
