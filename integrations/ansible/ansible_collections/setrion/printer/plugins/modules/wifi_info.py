#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: wifi_info
short_description: Read the Wi-Fi settings of Qx7 printers
version_added: "1.0.0"
description:
  - Reads one printer's Wi-Fi settings through C(setrion-cli --json) over a serial port or
    USB (C(port)), or finds printers on the LAN (the one with C(mac), or every printer
    that answers the search when neither C(port) nor C(mac) is given).
  - Never changes anything.
  - Errors of C(setrion-cli) fail the task with the program's own message.
author:
  - Setrion developers
extends_documentation_fragment:
  - setrion.printer.lan
options:
  port:
    description: The printer's serial port (C(COM1)..C(COM9)), C(USB), or a device path.
    type: str
  mac:
    description: MAC address of one printer on the LAN.
    type: str
  show_secrets:
    description: Return secret values (WPA key) instead of C(***).
    type: bool
    default: false
  cli:
    description: Path of C(setrion-cli); by default it is looked up on C(PATH).
    type: path
    default: setrion-cli
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
'''

EXAMPLES = r'''
- name: Read the printer on the first USB serial adapter
  setrion.printer.wifi_info:
    port: /dev/ttyUSB0
  register: printer

- name: Every printer on the site's LAN
  setrion.printer.wifi_info:
    broadcast: 192.168.7.255
  register: site

- name: List them
  ansible.builtin.debug:
    msg: "{{ site.printers | map(attribute='mac') | list }}"
'''

RETURN = r'''
printers:
  description: The settings of each printer read, with the keys of C(setrion-cli wifi read --json) (or C(net search --json)); secrets as C(***).
  returned: always
  type: list
  elements: dict
  sample: [{"mac": "02:00:00:00:00:01", "ssid": "Office", "dhcp": true, "wpa_key": "***"}]
settings:
  description: The settings of the one printer read, when C(port) or C(mac) was given.
  returned: when C(port) or C(mac) is given
  type: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.setrion.printer.plugins.module_utils.setrion_cli import (
    TARGET_ARGS, mask, net_options, run, secret_environment)


def same_mac(a, b):
    return a.replace('-', ':').lower() == b.replace('-', ':').lower()


def main():
    module = AnsibleModule(argument_spec=dict(TARGET_ARGS),
                           mutually_exclusive=[('port', 'mac')],
                           supports_check_mode=True)
    p = module.params
    if p['port']:
        found, dummy = run(module, ['--port', p['port'], 'wifi', 'read'])
        printers = [found]
    else:
        printers, dummy = run(module, ['net'] + net_options(p) + ['search'],
                              secrets=secret_environment(p))
        printers = printers or []
        if p['mac']:
            printers = [x for x in printers if same_mac(x.get('mac', ''), p['mac'])]
            if not printers:
                module.fail_json(msg='No printer with MAC %s answered.' % p['mac'])
    if not p['show_secrets']:
        printers = [mask(x) for x in printers]
    result = dict(changed=False, printers=printers)
    if p['port'] or p['mac']:
        result['settings'] = printers[0]
    module.exit_json(**result)


if __name__ == '__main__':
    main()
