#!/usr/bin/env python3
"""The generated manual pages and bash completion against the programs' own --help.

Run by CTest with SETRION_BUILD (the build folder) and SETRION_VERSION set. The help is read
here with plain patterns of its own, so a fault in the generator's parser cannot hide itself.
"""
import os
import re
import subprocess
import tempfile
import unittest

BUILD = os.path.abspath(os.environ["SETRION_BUILD"])
VERSION = os.environ["SETRION_VERSION"]
PROGRAMS = {"setrion-cli": "cli/setrion-cli", "setrion-sim": "sim/setrion-sim",
            "setrion": "gui/setrion"}
PROGRAMS = {k: os.path.join(BUILD, v) for k, v in PROGRAMS.items()
            if os.path.exists(os.path.join(BUILD, v))}
GENERATED = os.path.join(BUILD, "packaging")
EMPTY = tempfile.mkdtemp()  # file names offered for arguments come from here: none
ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C", MANWIDTH="250")


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, env=ENV, timeout=60,
                          check=True, **kw).stdout


def commands(program):
    """{words: help text} of the program and every subcommand listed under "Subcommands:"."""
    found, todo = {}, [()]
    while todo:
        words = todo.pop()
        text = run([program, *words, "--help"])
        found[words] = text
        block = re.search(r"^Subcommands:\n((?:  .*\n)*)", text, re.M)
        for line in block.group(1).splitlines() if block else []:
            todo.append((*words, line.split()[0]))
    return found


def options(text):
    """Long options named in the option column of a help text."""
    return set(re.findall(r"^ {2}(?:-\w, ?)?(--[\w-]+)", text, re.M))


def complete(*words):
    """What the completion offers for the words, the last one being completed."""
    script = ('source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _setrion_cli; '
              'printf "%s\\n" "${COMPREPLY[@]}"')
    out = run(["bash", "-c", script, "bash", os.path.join(GENERATED, "completion/setrion-cli"),
               "setrion-cli", *words], cwd=EMPTY)
    return set(out.split())


class ManPages(unittest.TestCase):
    def test_every_command_and_option_of_the_help_is_on_the_page(self):
        for name, program in PROGRAMS.items():
            page = run(["man", "-l", os.path.join(GENERATED, "man", name + ".1")])
            shown = set(re.findall(r"--[\w-]+", page))
            for words, text in commands(program).items():
                with self.subTest(program=name, command=words):
                    if words:
                        self.assertIn(" ".join((name, *words)) + "\n", page)
                    self.assertTrue(options(text))
                    self.assertLessEqual(options(text), shown)

    def test_pages_carry_name_version_and_the_written_sections(self):
        for name in PROGRAMS:
            page = run(["man", "-l", os.path.join(GENERATED, "man", name + ".1")])
            with self.subTest(program=name):
                self.assertRegex(page, rf"NAME\n +{re.escape(name)} - \S")
                for section in ("SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXAMPLES", "SEE ALSO"):
                    self.assertRegex(page, rf"(?m)^{section}$")
                self.assertRegex(page, rf"(?m)^setrion {re.escape(VERSION)} ")

    def test_version_is_the_project_version(self):
        for name, program in PROGRAMS.items():
            with self.subTest(program=name):
                self.assertEqual(run([program, "--version"]), f"{name} {VERSION}\n")


class Completion(unittest.TestCase):
    def test_every_subcommand_and_option_is_offered(self):
        tree = commands(PROGRAMS["setrion-cli"])
        for words, text in tree.items():
            subs = {w[-1] for w in tree if len(w) == len(words) + 1 and w[:-1] == words}
            with self.subTest(command=words):
                self.assertEqual(complete(*words, ""), subs)
                self.assertLessEqual(options(text), complete(*words, "--"))

    def test_option_values(self):
        ports = {f"COM{n}" for n in range(1, 10)} | {"USB"}
        cases = [(("--port", ""), ports, True), (("--port", "=", "U"), {"USB"}, False),
                 (("--parity", ""), {"none", "odd", "even"}, False),
                 (("--flow", "x"), {"xon-xoff"}, False),
                 (("--port", "USB", "wifi", "r"), {"read", "reset"}, False),
                 (("download-font", "--memory", ""), {"ram", "flash"}, False),
                 (("net", "search", "--bro"), {"--broadcast"}, False),
                 (("--baud", "9600", "--"), {"--port", "--json"}, True)]
        for words, expected, more_allowed in cases:
            with self.subTest(words=words):
                offered = complete(*words)
                if more_allowed:
                    self.assertLessEqual(expected, offered)
                else:
                    self.assertEqual(offered, expected)

    def test_serial_devices_present_follow_the_port_names(self):
        present = {p for p in ("/dev/ttyUSB0", "/dev/ttyACM0") if os.path.exists(p)}
        self.assertLessEqual(present, complete("--port", "/dev/tty"))
        self.assertFalse({p for p in complete("--port", "/dev/") if not os.path.exists(p)})


if __name__ == "__main__":
    unittest.main()
