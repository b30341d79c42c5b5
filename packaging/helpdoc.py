#!/usr/bin/env python3
"""Manual pages and bash completion made from a program's own --help.

The program is asked for `--help`, then for `SUB --help` of every subcommand its help lists,
recursively, so new commands and options appear without editing anything here. Both the
CLI11 help of setrion-cli and setrion-sim and the Qt help of setrion are read.

  helpdoc.py man PROGRAM NAME VERSION EXTRA.roff OUT.1      (also writes OUT.1.gz)
  helpdoc.py completion PROGRAM NAME OUT
"""
import gzip
import os
import re
import subprocess
import sys

SECTION = re.compile(r"^(\S[^:]*):\s*$")
ITEM = re.compile(r"^ {2}(\S.*?)(?: {2,}(\S.*))?$")
CONTINUATION = re.compile(r"^ {3,}(\S.*)$")
MAX_DEPTH = 4


class Item:
    """One line of a help section: an option, a positional or a subcommand."""

    def __init__(self, head, text):
        self.head = head
        self.text = text
        # Flags are the leading "-x,--long" / "-x, --long" part; the rest names the value.
        m = re.match(r"^((?:-[^\s,]+(?:, ?|,))*-[^\s,]+)(?:\s+(.*))?$", head)
        self.flags = re.split(r", ?", m.group(1)) if m else []
        self.value = (m.group(2) or "") if m else head
        choices = re.search(r"\{([^}]*)\}", self.value)
        self.choices = choices.group(1).split(",") if choices else []

    @property
    def name(self):
        return self.head.split()[0]


class Help:
    """A program's (or subcommand's) help split into summary, usage and sections."""

    def __init__(self, text, name):
        # The usage line names the program by its path (Qt) or its name (CLI11): say `name`.
        self.summary, self.usage, self.sections = [], "", []
        current = None
        for line in text.splitlines():
            if line.startswith("Usage:"):
                self.usage = re.sub(r"^Usage:\s*\S+", name, line).strip()
                continue
            m = SECTION.match(line)
            if m:
                current = (m.group(1), [])
                self.sections.append(current)
                continue
            if current is None:
                if line.strip():
                    self.summary.append(line.strip())
                continue
            c = CONTINUATION.match(line)
            if c and current[1] and not c.group(1).startswith("-"):
                item = current[1][-1]
                item.text = (item.text + " " + c.group(1)).strip()
                continue
            m = ITEM.match(line)
            if m:
                current[1].append(Item(m.group(1), m.group(2) or ""))

    def section(self, title):
        for t, items in self.sections:
            if t == title:
                return items
        return []


def run_help(program, words):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    # A sanitizer build's leak report at exit is no business of a help text.
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    done = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                          timeout=30, env=env, check=False)
    if done.returncode != 0:
        sys.exit(f"{program} {' '.join(words)} --help ended with {done.returncode}: {done.stderr}")
    return done.stdout


def help_tree(program, name):
    """Every command's help, depth first: a list of (words, Help)."""
    tree = []

    def walk(words):
        node = Help(run_help(program, words), name)
        tree.append((words, node))
        if len(words) < MAX_DEPTH:
            for sub in node.section("Subcommands"):
                walk([*words, sub.name])

    walk([])
    return tree


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def roff_item(item):
    flags = ", ".join(f"\\fB{roff(f)}\\fR" for f in item.flags)
    head = f"{flags} \\fI{roff(item.value)}\\fR" if item.flags else f"\\fB{roff(item.head)}\\fR"
    return [".TP", head.rstrip(), roff(item.text)]


def split_extra(path):
    """The hand-written part: DESCRIPTION goes after SYNOPSIS, every other section last."""
    description, rest, current = [], [], None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith(".SH"):
                current = description if line.split(None, 1)[1].strip('" ') == "DESCRIPTION" else rest
            if current is not None:
                current.append(line)
    return description, rest


def man_page(tree, name, version, extra):
    top = tree[0][1]
    summary = re.sub(rf"^{re.escape(name)}:\s*", "", " ".join(top.summary)).rstrip(".")
    description, rest = split_extra(extra)
    out = [f'.TH "{name.upper()}" "1" "" "setrion {version}" "User Commands"', ".nh", ".ad l",
           ".SH NAME", f"{roff(name)} \\- {roff(summary)}", ".SH SYNOPSIS",
           roff(top.usage), *description]
    for title, items in top.sections:
        if title == "Subcommands":
            continue
        out.append(".SH " + ("ARGUMENTS" if title in ("Positionals", "Arguments") else title.upper()))
        for item in items:
            out += roff_item(item)
    if len(tree) > 1:
        out.append(".SH COMMANDS")
        for words, node in tree[1:]:
            out += [f'.SS "{roff(" ".join([name, *words]))}"', roff(" ".join(node.summary)),
                    ".PP", "Usage: " + roff(node.usage)]
            for title, items in node.sections:
                shown = [i for i in items if "--help" not in i.flags]
                if title == "Subcommands" or not shown:
                    continue
                out += [".PP", title + ":", ".RS"]
                for item in shown:
                    out += roff_item(item)
                out.append(".RE")
    return "\n".join(out + rest) + "\n"


def value_kind(item):
    """How the completion offers an option's value: its choices, the ports, files or nothing."""
    if not item.value:
        return None
    if item.choices:
        return " ".join(item.choices)
    if "--port" in item.flags:
        return "@port"
    return "@file" if re.match(r"(TEXT|<)", item.value) else ""


def bash_words(words):
    return '"' + " ".join(words) + '"'


def completion(tree, name):
    fn = "_" + re.sub(r"\W", "_", name)
    subs, opts, vals, positionals = [], [], [], []
    for words, node in tree:
        key = " ".join([name, *words])  # bash keys cannot be empty: the root is the name
        subs.append(f'  ["{key}"]={bash_words(i.name for i in node.section("Subcommands"))}')
        options = node.section("Options")
        opts.append(f'  ["{key}"]={bash_words(f for i in options for f in i.flags)}')
        for item in options:
            kind = value_kind(item)
            if kind is not None:
                vals += [f'  ["{key}|{f}"]="{kind}"' for f in item.flags]
        if node.section("Positionals"):
            positionals.append(f'  ["{key}"]=1')
    table = lambda var, rows: [f"declare -gA {fn}_{var}=(", *rows, ")"]
    script = [f"# bash completion for {name}, generated from its --help. Do not edit.",
              *table("subs", subs), *table("opts", opts), *table("vals", vals),
              *table("positionals", positionals), TEMPLATE.replace("_FN", fn).replace("_NAME", name),
              f"complete -F {fn} {name}"]
    return "\n".join(script) + "\n"


TEMPLATE = r"""
# The port names: COM1..COM9, USB, then the serial devices present.
_FN_ports() {
  local d
  printf '%s\n' COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 USB
  for d in /dev/ttyUSB* /dev/ttyACM* /dev/rfcomm*; do
    [[ -e $d ]] && printf '%s\n' "$d"
  done
  # ttyS nodes exist for every possible UART; list those with a port behind them.
  for d in /sys/class/tty/ttyS*; do
    [[ -r $d/type && $(<"$d/type") != 0 ]] && printf '/dev/%s\n' "${d##*/}"
  done
}

# The value an option takes at command PATH or above (options fall through to subcommands).
_FN_value() {
  local path=$1 opt=$2
  while :; do
    if [[ -n ${_FN_vals["$path|$opt"]+set} ]]; then
      printf '%s' "${_FN_vals["$path|$opt"]}"
      return 0
    fi
    [[ $path == *" "* ]] || return 1
    path=${path% *}
  done
}

_FN() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev="" path="_NAME" i w sub kind words=""
  COMPREPLY=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    w=${COMP_WORDS[i]}
    if [[ $w == -* ]]; then
      [[ ${COMP_WORDS[i + 1]} == "=" ]] && ((i += 1))
      _FN_value "$path" "$w" >/dev/null && ((i += 1))
      continue
    fi
    for sub in ${_FN_subs["$path"]}; do
      if [[ $sub == "$w" ]]; then
        path="$path $w"
        break
      fi
    done
  done
  ((COMP_CWORD > 1)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  if [[ $prev == "=" ]] && ((COMP_CWORD > 2)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == "=" ]]; then
    cur=""
  fi
  if [[ $prev == -* ]] && kind=$(_FN_value "$path" "$prev"); then
    case $kind in
      @port) COMPREPLY=($(compgen -W "$(_FN_ports)" -- "$cur")) ;;
      @file) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- "$cur")) ;;
      *) COMPREPLY=($(compgen -W "$kind" -- "$cur")) ;;
    esac
    return 0
  fi
  if [[ $cur == -* ]]; then
    w=$path
    while :; do
      words+=" ${_FN_opts["$w"]}"
      [[ $w == *" "* ]] || break
      w=${w% *}
    done
    COMPREPLY=($(compgen -W "$words" -- "$cur"))
    return 0
  fi
  COMPREPLY=($(compgen -W "${_FN_subs["$path"]}" -- "$cur"))
  if [[ -n ${_FN_positionals["$path"]+set} ]]; then
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -f -- "$cur"))
  fi
  return 0
}
"""


def write(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) == 6 and argv[0] == "man":
        program, name, version, extra, out = argv[1:]
        page = man_page(help_tree(program, name), name, version, extra).encode()
        write(out, page)
        write(out + ".gz", gzip.compress(page, compresslevel=9, mtime=0))
    elif len(argv) == 4 and argv[0] == "completion":
        program, name, out = argv[1:]
        write(out, completion(help_tree(program, name), name).encode())
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
