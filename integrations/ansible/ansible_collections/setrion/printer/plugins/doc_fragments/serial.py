# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The options of the modules that reach one printer on its serial port or USB.
    DOCUMENTATION = r'''
options:
  port:
    description: The printer's serial port (C(COM1)..C(COM9)), C(USB), or a device path.
    type: str
    required: true
  cli:
    description: Path of C(setrion-cli); by default it is looked up on C(PATH).
    type: path
    default: setrion-cli
'''
