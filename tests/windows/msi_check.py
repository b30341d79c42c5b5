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
SHORTCUT = DRIVE_C / "ProgramData/Microsoft/Windows/Start Menu/Programs/Setrion.lnk"
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
check(SHORTCUT.is_file(), "Start-menu shortcut")
check(uninstall_entry(), "uninstall entry")
check(msiexec("/x", MSI, "/qn") == 0, "msiexec /x /qn succeeds")
check(not any(p.exists() for p in INSTALLED), "files removed")
check(not SHORTCUT.exists(), "shortcut removed")
check(not uninstall_entry(), "uninstall entry removed")
if failures:
    sys.exit(1)
