"""COM ports of a Wine prefix: Wine maps COMn to the Unix device its dosdevices link names."""

import os
from pathlib import Path


def map_com_port(prefix: Path, com: str, device: Path) -> None:
    """Points COM port `com` (e.g. "COM7") of `prefix` at `device` (a pty's link)."""
    link = prefix / "dosdevices" / com.lower()
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(os.path.realpath(device))
