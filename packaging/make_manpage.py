#!/usr/bin/python3
"""Writes a manual page (roff, gzip-compressed) from a program's --help text.

    make_manpage.py --program PATH --name NAME --summary TEXT --description TEXT
                    --version TEXT --date YYYY-MM-DD [--see-also NAME(1)...] --out FILE.1.gz

The help text is read as the programs print it: a "usage: ..." line (the synopsis), headings
that end in a colon ("commands:", "faults (...):") or carry their text after the colon ("exit
status: ..."), and indented entries of a term and its description two or more spaces apart, with
deeper-indented continuation lines. Anything else is kept as it stands, line by line.
"""
import argparse
import gzip
import re
import subprocess
import sys

ENTRY = re.compile(r"^ {2,}(\S(?:.*?\S)?) {2,}(\S.*)$")


def roff(text):
    """Escapes text for a roff line: backslashes, minus signs, and a leading control character."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def to_roff(help_text):
    lines = []
    in_entry = False  # after a term and its description: deeper lines continue it
    in_block = False  # inside a run of lines kept as they stand
    section = None

    def end_block():
        nonlocal in_block
        if in_block:
            lines.append(".fi")
            in_block = False

    for raw in help_text.splitlines():
        line = raw.rstrip()
        if not line:
            end_block()
            in_entry = False
            continue
        if line.startswith("usage: "):
            end_block()
            lines += [".SH SYNOPSIS", ".nf", roff(line[len("usage: "):]), ".fi"]
            section, in_entry = "SYNOPSIS", False
            continue
        if not line.startswith(" "):
            end_block()
            head, _, rest = line.partition(":")
            title, _, note = head.partition("(")
            section = title.strip().upper()
            lines.append(".SH " + roff(section))
            text = " ".join(t for t in (note.rstrip(") ").strip(), rest.strip()) if t)
            if text:
                lines += [".PP", roff(text[0].upper() + text[1:])]
            in_entry = False
            continue
        if section == "SYNOPSIS":
            lines.append(".SH OPTIONS")
            section = "OPTIONS"
        entry = ENTRY.match(line)
        if entry and not entry.group(2).startswith("-"):
            end_block()
            lines += [".TP", ".B " + roff(entry.group(1)), roff(entry.group(2))]
            in_entry = True
            continue
        if in_entry and len(line) - len(line.lstrip()) > 4:
            lines += [".br", roff(line.strip())]
            continue
        if not in_block:
            lines += [".PP", ".nf"]
            in_block = True
        lines.append(roff(line.strip()))
        in_entry = False
    end_block()
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--summary", required=True)
    parser.add_argument("--description", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", required=True)
    parser.add_argument("--see-also", nargs="*", default=[])
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    result = subprocess.run([args.program, "--help"], capture_output=True, text=True)
    if result.returncode != 0 or not result.stdout.strip():
        sys.exit(f"make_manpage: {args.program} --help failed ({result.returncode})")
    page = [
        f'.TH {args.name.upper()} 1 "{args.date}" "{args.version}" "User Commands"',
        ".SH NAME",
        f"{roff(args.name)} \\- {roff(args.summary)}",
        ".SH DESCRIPTION",
        roff(args.description),
    ]
    body = to_roff(result.stdout)
    # The synopsis goes before the description, as manual pages have it.
    if body[:1] == [".SH SYNOPSIS"]:
        page[3:3] = body[:4]
        body = body[4:]
    page += body
    if args.see_also:
        page += [".SH SEE ALSO", roff(", ".join(args.see_also))]
    data = ("\n".join(page) + "\n").encode("utf-8")
    # No name and no time in the gzip header: the same help makes the same file.
    with open(args.out, "wb") as out, gzip.GzipFile(
            filename="", mode="wb", fileobj=out, compresslevel=9, mtime=0) as z:
        z.write(data)


if __name__ == "__main__":
    main()
