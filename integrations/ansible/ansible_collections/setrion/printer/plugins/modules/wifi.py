#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: wifi
short_description: Write Wi-Fi settings to a Qx7 printer, only where they differ
version_added: "1.0.0"
description:
  - Applies a settings profile to one printer's Wi-Fi module through C(setrion-cli),
    over a serial port or USB (C(port)) or on the LAN by MAC address (C(mac)).
  - The printer is read first and written only when a value differs
    (C(setrion-cli --skip-unchanged)), so a second run with the same settings reports
    C(ok) and sends no write.
  - A value the printer does not report (a write-only key) counts as different.
  - In check mode the printer is read and compared (C(--dry-run)) and nothing is written.
  - Errors of C(setrion-cli), such as a bad profile value or a printer that does not
    answer, fail the task with the program's own message.
author:
  - Setrion developers
extends_documentation_fragment:
  - setrion.printer.lan
options:
  port:
    description:
      - The printer's serial port (C(COM1)..C(COM9)), C(USB), or a device path such as
        C(/dev/ttyUSB0).
      - Exactly one of C(port) and C(mac) is given.
    type: str
  mac:
    description:
      - MAC address of a printer on the LAN (C(02:00:00:00:00:01)); it is found by a
        search on C(broadcast) and saved over the network.
    type: str
  password:
    description: The module's password for a LAN save (at most 10 characters).
    type: str
  settings:
    description:
      - The settings to apply, with the keys of C(setrion-cli wifi read --json); keys
        left out keep what the printer holds.
      - Exactly one of C(settings) and C(profile) is given.
    type: dict
    suboptions:
      ssid:
        description: Network name, at most 32 bytes.
        type: str
      dhcp:
        description: Address by DHCP.
        type: bool
      ip:
        description: Static address C(a.b.c.d).
        type: str
      netmask:
        description: Netmask C(a.b.c.d).
        type: str
      gateway:
        description: Gateway C(a.b.c.d).
        type: str
      dns:
        description: DNS server C(a.b.c.d).
        type: str
      mode:
        description: Wi-Fi mode, C(adhoc) or C(infrastructure).
        type: str
      channel:
        description: Channel 1-14, or a 5 GHz channel where the module has them.
        type: int
      channel_text:
        description: The channel as the channel list shows it (C("149")).
        type: str
      encryption:
        description: C(None), C(WEP64), C(WEP128), C(WPA) or C(802.1x).
        type: str
      authentication:
        description: C(None), C(Open System), C(Shared Key) or C(Both).
        type: str
      key_in_use:
        description: WEP key in use, 1-4.
        type: int
      wpa_authentication:
        description: C(None), C(WPA-PSK), C(WPA2-PSK), C(WPA-ENT) or C(WPA2-ENT).
        type: str
      wpa_encryption:
        description: C(None), C(TKIP), C(AES) or C(TKIP+AES).
        type: str
      wpa_key:
        description: WPA passphrase, at most 64 bytes. Never logged.
        type: str
      tcp_port:
        description: The printer's raw TCP port, 1-65535.
        type: int
      wep_keys:
        description: The four WEP keys. Never logged.
        type: list
        elements: str
      key_formats:
        description: Format of each of the four WEP keys, C(HEX) or C(ASCII).
        type: list
        elements: str
      lpd_enable:
        description: LPD printing on (settings-block modules with LPD).
        type: bool
      lpd_queue:
        description: LPD queue name.
        type: str
  profile:
    description:
      - A settings file on the machine that runs the task, JSON (the keys of C(settings))
        or the Wi-Fi INI file.
    type: path
  show_secrets:
    description: Show secret values in the diff and the settings returned instead of C(***).
    type: bool
    default: false
  cli:
    description: Path of C(setrion-cli); by default it is looked up on C(PATH).
    type: path
    default: setrion-cli
notes:
  - The module runs C(setrion-cli) on the host that runs the task; delegate the task to the
    site's machine that reaches the printers.
  - Secret values (WPA key, WEP keys) are shown as C(***) in the diff and in C(settings).
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
'''

EXAMPLES = r'''
- name: Join the office network over the printer's serial port
  setrion.printer.wifi:
    port: /dev/ttyUSB0
    settings:
      ssid: Office
      encryption: WPA
      wpa_authentication: WPA2-PSK
      wpa_encryption: AES
      wpa_key: "{{ vault_office_wpa_key }}"
      dhcp: true

- name: Apply the site profile to a printer on the LAN
  setrion.printer.wifi:
    mac: "02:00:00:00:00:01"
    broadcast: 192.168.7.255
    profile: /etc/setrion/site.json

- name: What would change (nothing is written)
  setrion.printer.wifi:
    port: USB
    profile: /etc/setrion/site.ini
  check_mode: true
  diff: true
  register: plan
'''

RETURN = r'''
changed:
  description: Whether the printer was written (in check mode, whether it would be).
  returned: always
  type: bool
diff:
  description:
    - The keys that differ, the printer's value in C(before) and the profile's in C(after).
    - A value the printer does not report shows as C(unknown); secrets as C(***).
  returned: always
  type: dict
  sample: {"before": {"ssid": "Lab"}, "after": {"ssid": "Office"}}
settings:
  description: The printer's settings as read after the write (as read before it when nothing was written).
  returned: success, not in check mode
  type: dict
  sample: {"ssid": "Office", "dhcp": true, "channel": 6, "wpa_key": "***"}
message:
  description: What C(setrion-cli) reported (C(Save Completed !!!), or that the printer was skipped).
  returned: success
  type: str
not_verified:
  description:
    - The keys whose value read back after the write differs from the value written, each with
      C(written) and C(read_back) (secrets as C(***)). The task then fails with C(changed) true,
      since the printer was written.
  returned: when the read-back differs
  type: dict
  sample: {"ssid": {"written": "Warehouse", "read_back": "Ware"}}
'''

import json
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.setrion.printer.plugins.module_utils.setrion_cli import (
    TARGET_ARGS, ansible_diff, mask, net_options, run, secret_environment)

SETTINGS_OPTIONS = dict(
    ssid=dict(type='str'), dhcp=dict(type='bool'), ip=dict(type='str'),
    netmask=dict(type='str'), gateway=dict(type='str'), dns=dict(type='str'),
    mode=dict(type='str'), channel=dict(type='int'), channel_text=dict(type='str'),
    encryption=dict(type='str'), authentication=dict(type='str'),
    key_in_use=dict(type='int'), wpa_authentication=dict(type='str'),
    wpa_encryption=dict(type='str'), wpa_key=dict(type='str', no_log=True),
    tcp_port=dict(type='int'), wep_keys=dict(type='list', elements='str', no_log=True),
    key_formats=dict(type='list', elements='str'), lpd_enable=dict(type='bool'),
    lpd_queue=dict(type='str'),
)


def write_profile(settings):
    """The given settings as a JSON profile in a private temporary file."""
    given = dict((k, v) for k, v in settings.items() if v is not None)
    fd, path = tempfile.mkstemp(prefix='setrion-profile-', suffix='.json')
    with os.fdopen(fd, 'w') as f:
        json.dump(given, f)
    return path


def main():
    options = dict(TARGET_ARGS)
    options.update(
        password=dict(type='str', no_log=True),
        settings=dict(type='dict', options=SETTINGS_OPTIONS),
        profile=dict(type='path'),
    )
    module = AnsibleModule(
        argument_spec=options,
        required_one_of=[('port', 'mac'), ('settings', 'profile')],
        mutually_exclusive=[('port', 'mac'), ('settings', 'profile')],
        supports_check_mode=True,
    )
    p = module.params
    path = p['profile'] or write_profile(p['settings'])
    try:
        mode = ['--dry-run'] if module.check_mode else ['--skip-unchanged']
        if p['show_secrets']:
            mode.append('--show-secrets')
        if p['port']:
            args = ['--port', p['port'], 'wifi', 'write', path] + mode
            header = p['port']
        else:
            args = ['net'] + net_options(p) + ['save', p['mac'], path] + mode
            header = p['mac']
        codes = []
        file_names = {} if p['profile'] else {path: 'settings'}
        # Exit 2 with a report is a write whose read-back differs: written, not verified.
        result, err = run(module, args, allowed_codes=(0, 2), file_names=file_names, codes=codes,
                          secrets=secret_environment(p, p['password']))
    finally:
        if not p['profile']:
            os.unlink(path)
    if codes and codes[0] != 0:
        message = err.strip()
        for temporary, name in file_names.items():
            message = message.replace(temporary + ':', name + ':')
        report = result if isinstance(result, dict) else {}
        if report.get('verified') is False:
            settings = report.get('settings') or {}
            module.fail_json(
                msg=message, changed=True, rc=codes[0],
                diff=ansible_diff(report.get('diff'), header),
                not_verified=report.get('not_verified') or {},
                settings=settings if p['show_secrets'] else mask(settings))
        module.fail_json(msg=message or 'setrion-cli exited with code %d' % codes[0], rc=codes[0])
    result = result or {}
    settings = result.get('settings') or {}
    module.exit_json(
        changed=bool(result.get('changed')),
        diff=ansible_diff(result.get('diff'), header),
        settings=settings if p['show_secrets'] else mask(settings),
        message=result.get('result', ''),
    )


if __name__ == '__main__':
    main()
