# -*- coding: utf-8 -*-
# Copyright: Setrion developers
# Apache License 2.0 (see https://www.apache.org/licenses/LICENSE-2.0)
"""Runs setrion-cli for the setrion.printer modules: target options, JSON out, errors."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# Profile keys whose values are secrets: masked in every result unless show_secrets.
SECRET_KEYS = ('wpa_key', 'wep_keys', 'eap_password')
MASK = '***'

# The options that select a printer, shared by both modules.
TARGET_ARGS = dict(
    port=dict(type='str'),
    mac=dict(type='str'),
    broadcast=dict(type='str'),
    mgmt_port=dict(type='int'),
    mgmt_local_port=dict(type='int'),
    text_port=dict(type='int'),
    text_local_port=dict(type='int'),
    protocol_key=dict(type='str', no_log=True),
    cli=dict(type='path', default='setrion-cli'),
    show_secrets=dict(type='bool', default=False),
)

# The options of the modules that reach one printer on its serial port or USB.
SERIAL_ARGS = dict(
    port=dict(type='str', required=True),
    cli=dict(type='path', default='setrion-cli'),
)

# The LAN options and the setrion-cli option each one becomes.
_NET_OPTIONS = (
    ('broadcast', '--broadcast'),
    ('mgmt_port', '--mgmt-port'),
    ('mgmt_local_port', '--mgmt-local-port'),
    ('text_port', '--text-port'),
    ('text_local_port', '--text-local-port'),
)


def net_options(params):
    """The `net` group's options for the given module parameters."""
    args = []
    for name, option in _NET_OPTIONS:
        if params.get(name) is not None:
            args += [option, str(params[name])]
    return args


def secret_environment(params, password=None):
    """The secrets for setrion-cli as environment variables: on its command line any local
    user could read them."""
    env = {}
    if params.get('protocol_key'):
        env['SETRION_PROTOCOL_KEY'] = params['protocol_key']
    if password:
        env['SETRION_PASSWORD'] = password
    return env


def cli_path(module):
    """The setrion-cli executable: the `cli` option, looked up on PATH when it is a bare name."""
    cli = module.params['cli']
    if '/' in cli:
        return cli
    return module.get_bin_path(cli, required=True)


def mask(settings):
    """A copy of a settings object with its secret values (and their `_hex` companions, which
    carry the same bytes) replaced by the mask."""
    if not isinstance(settings, dict):
        return settings
    def secret(key):
        return key in SECRET_KEYS or (key.endswith('_hex') and key[:-4] in SECRET_KEYS)
    return dict((k, MASK if secret(k) and v not in (None, '') else v) for k, v in settings.items())


def run(module, args, allowed_codes=(0,), file_names=None, codes=None, secrets=None):
    """Runs setrion-cli --json ARGS and returns its parsed output and its stderr.

    A failed run ends the task as failed with the program's own message (its stderr), the
    exit code and the command line (secrets hidden by the caller's no_log values).
    `file_names` maps a temporary file's path to the name the user knows it by; `codes`, when
    given, is a list the exit code is appended to; `secrets` (from secret_environment) reach
    setrion-cli through its environment."""
    argv = [cli_path(module), '--json'] + args
    environ = {'LC_ALL': 'C'}
    environ.update(secrets or {})
    rc, out, err = module.run_command(argv, environ_update=environ)
    if codes is not None:
        codes.append(rc)
    message = err.strip()
    for path, name in (file_names or {}).items():
        message = message.replace(path + ':', name + ':')
    if rc not in allowed_codes:
        module.fail_json(msg=message or 'setrion-cli exited with code %d' % rc, rc=rc,
                         stdout=out, stderr=err, cmd=argv)
    try:
        return json.loads(out) if out.strip() else None, err
    except ValueError:
        module.fail_json(msg='setrion-cli printed no JSON: %s' % out[:200], rc=rc, stdout=out,
                         stderr=err, cmd=argv)
    return None, err


def ansible_diff(cli_diff, header):
    """The CLI's {key: [old, new]} diff in Ansible's before/after form."""
    before, after = {}, {}
    for key, pair in (cli_diff or {}).items():
        before[key], after[key] = pair[0], pair[1]
    return dict(before=before, after=after, before_header=header, after_header=header)
