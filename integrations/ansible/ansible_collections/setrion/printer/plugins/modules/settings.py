#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: settings
short_description: Apply the printer's own settings (serial, Bluetooth, code page, density, media) to a Qx7 printer
version_added: "1.1.0"
description:
  - Applies a printer profile through C(setrion-cli printer apply --json) over a serial port
    or USB (C(port)).
  - The printer is read first; only values that differ are sent
    (C(--skip-unchanged)), so a second run with the same readable settings reports C(ok).
  - A value the printer cannot report (density, code page and power save are write-only)
    counts as different and is sent on every run; the result lists such keys in C(unknown).
  - In check mode the printer is read and compared (C(--dry-run)) and nothing is sent.
  - Errors of C(setrion-cli), such as a bad value or a printer that does not answer, fail
    the task with the program's own message.
author:
  - Setrion developers
extends_documentation_fragment:
  - setrion.printer.serial
options:
  settings:
    description:
      - The settings to apply, with the keys of C(setrion-cli printer read --json); keys left
        out keep what the printer holds. Exactly one of C(settings) and C(profile) is given.
    type: dict
    suboptions:
      emulation:
        description: C(cpcl) or C(escpos).
        type: str
      baud:
        description: The printer's own baud rate (1200 ... 115200), sent last.
        type: int
      data_bits:
        description: 7 or 8 (ESC/POS printers).
        type: int
      parity:
        description: C(none), C(odd) or C(even).
        type: str
      stop_bits:
        description: 1 or 2.
        type: int
      flow:
        description: C(dtr-dsr) or C(xon-xoff) (ESC/POS printers).
        type: str
      bluetooth_pin:
        description: Bluetooth PIN, 1 to 10 characters.
        type: str
      discoverable:
        description: C(on) or C(off) (YAML booleans are taken as on and off).
        type: raw
      power_save:
        description: C(none), C(off) (power off) or C(save) (YAML false is taken as C(off)).
        type: raw
      power_save_minutes:
        description: Minutes 0-99, with C(power_save) C(off) or C(save).
        type: int
      code_page:
        description: A code page name, such as C(CP_437) or C(WINDOWS_1251).
        type: str
      density:
        description: C(-1), C(0), C(+1), C(+2) or C(+3) (a YAML number is taken with its sign).
        type: raw
      media:
        description: C(gap) or C(bar) (CPCL printers).
        type: str
  profile:
    description: Path of a JSON printer profile (the output of C(printer read --json)).
    type: path
  show_secrets:
    description: Return the Bluetooth PIN in the diff instead of C(***).
    type: bool
    default: false
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
'''

EXAMPLES = r'''
- name: Every printer of the site prints darker, in Cyrillic, on labels with gaps
  setrion.printer.settings:
    port: /dev/ttyUSB0
    settings:
      density: "+2"
      code_page: WINDOWS_1251
      media: gap
      discoverable: "off"
'''

RETURN = r'''
settings:
  description: The printer's readable settings after the run (the PIN only with C(show_secrets)).
  returned: always
  type: dict
unknown:
  description: Keys the printer cannot report; they were sent (or, in check mode, would be).
  returned: always
  type: list
  elements: str
message:
  description: The result C(setrion-cli) reported.
  returned: always
  type: str
'''

import json
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.setrion.printer.plugins.module_utils.setrion_cli import (
    SERIAL_ARGS, ansible_diff, run)

SETTINGS_OPTIONS = dict(
    emulation=dict(type='str'), baud=dict(type='int'), data_bits=dict(type='int'),
    parity=dict(type='str'), stop_bits=dict(type='int'), flow=dict(type='str'),
    bluetooth_pin=dict(type='str', no_log=True), discoverable=dict(type='raw'),
    power_save=dict(type='raw'), power_save_minutes=dict(type='int'),
    code_page=dict(type='str'), density=dict(type='raw'), media=dict(type='str'),
)


def profile_value(key, value):
    """A module value in the profile's words: YAML's on/off booleans and signed numbers."""
    if key == 'discoverable' and isinstance(value, bool):
        return 'on' if value else 'off'
    if key == 'power_save' and value is False:
        return 'off'
    if key == 'density' and isinstance(value, int) and not isinstance(value, bool):
        return '%+d' % value if value else '0'
    return value


def write_profile(settings):
    """The given settings as a JSON profile in a private temporary file."""
    given = dict((k, profile_value(k, v)) for k, v in settings.items() if v is not None)
    fd, path = tempfile.mkstemp(prefix='setrion-printer-', suffix='.json')
    with os.fdopen(fd, 'w') as f:
        json.dump(given, f)
    return path


def main():
    module = AnsibleModule(
        argument_spec=dict(
            SERIAL_ARGS,
            settings=dict(type='dict', options=SETTINGS_OPTIONS),
            profile=dict(type='path'),
            show_secrets=dict(type='bool', default=False),
        ),
        required_one_of=[('settings', 'profile')],
        mutually_exclusive=[('settings', 'profile')],
        supports_check_mode=True,
    )
    p = module.params
    path = p['profile'] or write_profile(p['settings'])
    try:
        args = ['--port', p['port'], 'printer', 'apply', path]
        args.append('--dry-run' if module.check_mode else '--skip-unchanged')
        if p['show_secrets']:
            args.append('--show-secrets')
        result, dummy = run(module, args, file_names={} if p['profile'] else {path: 'settings'})
    finally:
        if not p['profile']:
            os.unlink(path)
    result = result or {}
    module.exit_json(
        changed=bool(result.get('changed')),
        diff=ansible_diff(result.get('diff'), p['port']),
        settings=result.get('settings') or {},
        unknown=result.get('unknown') or [],
        message=result.get('result', ''),
    )


if __name__ == '__main__':
    main()
