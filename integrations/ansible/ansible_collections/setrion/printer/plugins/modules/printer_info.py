#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: printer_info
short_description: Read the printer's own settings of a Qx7 printer
version_added: "1.1.0"
description:
  - Reads every setting the printer reports through C(setrion-cli printer read --json) over
    a serial port or USB. Settings the printer cannot report are left out, never guessed.
  - The result is a valid profile for M(setrion.printer.settings).
  - Never changes anything.
author:
  - Setrion developers
extends_documentation_fragment:
  - setrion.printer.serial
options:
  show_secrets:
    description: Also return the Bluetooth PIN (CPCL printers report it).
    type: bool
    default: false
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
'''

EXAMPLES = r'''
- name: Read the printer on the first USB serial adapter
  setrion.printer.printer_info:
    port: /dev/ttyUSB0
  register: printer
'''

RETURN = r'''
settings:
  description: The printer's readable settings, with the keys of C(setrion-cli printer read --json).
  returned: always
  type: dict
  sample: {"emulation": "cpcl", "baud": 19200, "parity": "none", "discoverable": "on"}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.setrion.printer.plugins.module_utils.setrion_cli import SERIAL_ARGS, run


def main():
    module = AnsibleModule(
        argument_spec=dict(
            SERIAL_ARGS,
            show_secrets=dict(type='bool', default=False),
        ),
        supports_check_mode=True,
    )
    p = module.params
    args = ['--port', p['port'], 'printer', 'read']
    if p['show_secrets']:
        args.append('--show-secrets')
    settings, dummy = run(module, args)
    module.exit_json(changed=False, settings=settings or {})


if __name__ == '__main__':
    main()
