#!/usr/bin/env python3
"""Where the bytes of a Windows program go, from the linker's map file (-Wl,-Map).

    size_breakdown.py PROGRAM.exe PROGRAM.exe.map

Prints a Markdown table: the input sections the linker placed in each output section, summed by
where they came from (the program's own code, MinGW's start-up, MinGW's C-library glue, import
thunks and tables, libgcc, the version resource, base relocations), and the rest of the file:
headers and the padding of each section to the 512-byte file alignment.
"""
import os
import re
import sys

# Output sections reported in their own column; the rest are summed under "other".
COLUMNS = [".text", ".rdata", ".eh_frame", ".idata"]
NOT_IN_FILE = {".bss"}

# (group, pattern on the input file name), first match wins.
GROUPS = [
    ("the program's own code", re.compile(r"ltrans|\.obj\)?$|libtarnbeck_")),
    ("MinGW start-up (crt2, crtbegin/crtend, libmingw32)",
     re.compile(r"crt2\.o|crtbegin\.o|crtend\.o|libmingw32\.a")),
    ("import thunks and tables", re.compile(r"lib\w+\.a\(lib\w+?(s\d+|h|t|_defs\d+|_defh|_deft)\.o\)")),
    ("MinGW C-library glue (libmingwex, libmsvcrt extras)", re.compile(r"libmingwex\.a|libmsvcrt\.a")),
    ("libgcc", re.compile(r"libgcc(_eh)?\.a")),
    ("version resource", re.compile(r"\.res\)?$")),
    ("base relocations", re.compile(r"^dll stuff$")),
]


def group_of(input_file):
    name = os.path.basename(input_file)
    for group, pattern in GROUPS:
        if pattern.search(name):
            return group
    return "other: " + name


def read_map(path):
    """Sums of input-section sizes by (output section, group)."""
    sums = {}
    with open(path) as lines:
        text = lines.read().split("\n")
    start = next(i for i, line in enumerate(text) if line.startswith("Linker script and memory map"))
    output_section = None
    pending = False
    for line in text[start:]:
        heading = re.match(r"^(\.[\w$.]+)(\s|$)", line)
        if heading:
            output_section = heading.group(1)
            pending = False
            continue
        # An input section on one line, or its name alone with address, size and file on the next.
        whole = re.match(r"^ (\.\S+|COMMON)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        rest = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line) if pending else None
        pending = re.match(r"^ (\.\S+|COMMON)$", line) is not None
        found = whole.groups()[1:] if whole else rest.groups() if rest else None
        if found is None or output_section is None or output_section.startswith(".debug"):
            continue
        size = int(found[0], 16)
        if size:
            key = (output_section, group_of(found[1]))
            sums[key] = sums.get(key, 0) + size
    return sums


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, map_path = sys.argv[1], sys.argv[2]
    sums = read_map(map_path)
    groups = [group for group, _ in GROUPS]
    groups += sorted({group for _, group in sums if group not in groups})
    print("| from | " + " | ".join(COLUMNS) + " | other sections | total |")
    print("|---" * (len(COLUMNS) + 3) + "|")
    placed = 0
    for group in groups:
        row = [sums.get((column, group), 0) for column in COLUMNS]
        other = sum(size for (section, g), size in sums.items()
                    if g == group and section not in COLUMNS and section not in NOT_IN_FILE)
        total = sum(row) + other
        if total == 0:
            continue
        placed += total
        print("| %s | %s | %d | %d |" % (group, " | ".join(str(value) for value in row), other, total))
    size = os.path.getsize(program)
    print("| headers, and padding to the file alignment | | | | | | %d |" % (size - placed))
    print("| **file** | | | | | | **%d** |" % size)


if __name__ == "__main__":
    main()
