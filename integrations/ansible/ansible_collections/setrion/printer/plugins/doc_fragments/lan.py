# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The options that reach printers on the LAN, shared by every module.
    DOCUMENTATION = r'''
options:
  broadcast:
    description: Broadcast address of the LAN search and save (C(setrion-cli) default 255.255.255.255).
    type: str
  mgmt_port:
    description: The modules' management port.
    type: int
  mgmt_local_port:
    description: The management port bound on the machine that runs the task.
    type: int
  text_port:
    description: The text-frame printers' port.
    type: int
  text_local_port:
    description: The text-frame port bound on the machine that runs the task.
    type: int
  protocol_key:
    description: Management key prefix, 28 hexadecimal digits.
    type: str
'''
