#!/usr/bin/env python3
"""Inspects the Windows deliverables of one build as Windows sees them.

    pe_inspect.py --arch i686|x86_64 BIN_FOLDER

For Tarnbeck.exe and exitprobe.exe in BIN_FOLDER: the PE kind and machine (PE32 i386 or PE32+
x86-64), the GUI subsystem, the exact set of imported DLLs, the file size against its budget, the
version resource (product name Tarnbeck, a file description, the original file name, the version
strings matching the fixed version), and no manifest that asks for an execution level: a 32-bit
program without one keeps registry virtualization for its machine-wide registry writes, while one
marked asInvoker would fail them for every user without administrator rights.

Exit status 0 when everything holds, 1 on any failure, 77 (skipped) when the folder holds no build.
"""

import argparse
import struct
import sys
from pathlib import Path

SKIPPED = 77

PE32, PE32_PLUS = 0x10B, 0x20B
MACHINES = {'i686': (0x14C, PE32), 'x86_64': (0x8664, PE32_PLUS)}
SUBSYSTEM_WINDOWS_GUI = 2
RT_VERSION, RT_MANIFEST = 16, 24

# What each program may import, exactly, and its size budget in bytes per architecture. The budgets
# of the shipped i686 programs and of the probe are their goals; the launcher's x86_64 twin is only
# run under Wine, so its budget just guards against the regressions that matter: a C++ runtime,
# unwind tables or debug information pulled in add far more than the headroom left there.
PROGRAMS = {
    'Tarnbeck.exe': {
        'imports': {'KERNEL32.DLL', 'USER32.DLL', 'ADVAPI32.DLL', 'SHLWAPI.DLL', 'MSVCRT.DLL'},
        'budget': {'i686': 24 * 1024, 'x86_64': 40 * 1024},
    },
    'exitprobe.exe': {
        'imports': {'KERNEL32.DLL'},
        'budget': {'i686': 6 * 1024, 'x86_64': 8 * 1024},
    },
}


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise PeError('no MZ header')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise PeError('no PE signature')
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from('<H', data, optional)[0]
        if self.magic not in (PE32, PE32_PLUS):
            raise PeError('unknown optional header magic 0x%x' % self.magic)
        self.subsystem = struct.unpack_from('<H', data, optional + 68)[0]
        directories = optional + (96 if self.magic == PE32 else 112)
        count = struct.unpack_from('<I', data, directories - 4)[0]
        self.directories = [struct.unpack_from('<II', data, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                '<8sIIII', data, table + 40 * i)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return rva - address + raw
        raise PeError('address 0x%x lies in no section' % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b'\0', start)].decode('latin-1')

    def imports(self):
        rva, size = self.directories[1] if len(self.directories) > 1 else (0, 0)
        names = []
        if rva == 0:
            return names
        at = self.offset(rva)
        while True:
            descriptor = struct.unpack_from('<IIIII', self.data, at)
            if not any(descriptor):
                return names
            names.append(self.c_string(descriptor[3]))
            at += 20

    def resources(self, wanted_type):
        """The data of every resource of one type (all names, all languages)."""
        rva, size = self.directories[2] if len(self.directories) > 2 else (0, 0)
        if rva == 0:
            return []
        base = self.offset(rva)

        def entries(directory):
            named, ids = struct.unpack_from('<HH', self.data, base + directory + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from('<II', self.data, base + directory + 16 + 8 * i)
                yield name, target

        found = []

        def collect(target):
            if target & 0x80000000:
                for _, child in entries(target & 0x7FFFFFFF):
                    collect(child)
            else:
                data_rva, data_size = struct.unpack_from('<II', self.data, base + target)
                start = self.offset(data_rva)
                found.append(self.data[start:start + data_size])

        for name, target in entries(0):
            if name == wanted_type:
                collect(target)
        return found


def version_info(block):
    """VS_VERSIONINFO as (fixed file version, product version, {string name: value})."""
    strings = {}
    fixed = {}

    def align(offset):
        return (offset + 3) & ~3

    def parse(offset, end):
        length, value_length, value_type = struct.unpack_from('<HHH', block, offset)
        key_end = offset + 6
        while block[key_end:key_end + 2] != b'\0\0':
            key_end += 2
        key = block[offset + 6:key_end].decode('utf-16-le')
        value_at = align(key_end + 2)
        value_bytes = value_length * 2 if value_type == 1 else value_length
        value = block[value_at:value_at + value_bytes]
        if key == 'VS_VERSION_INFO':
            signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<6I', value)
            if signature != 0xFEEF04BD:
                raise PeError('VS_FIXEDFILEINFO has a bad signature')
            fixed['file'] = '%d.%d.%d.%d' % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16,
                                             file_ls & 0xFFFF)
            fixed['product'] = '%d.%d.%d.%d' % (product_ms >> 16, product_ms & 0xFFFF,
                                                product_ls >> 16, product_ls & 0xFFFF)
        elif value_type == 1 and value_length > 0:
            strings[key] = value.decode('utf-16-le').rstrip('\0')
        child = align(value_at + value_bytes)
        block_end = min(offset + length, end)
        while child + 6 <= block_end:
            child_length = struct.unpack_from('<H', block, child)[0]
            if child_length == 0:
                break
            parse(child, block_end)
            child = align(child + child_length)

    parse(0, len(block))
    return fixed, strings


def inspect(path, arch, failures):
    expected = PROGRAMS[path.name]
    data = path.read_bytes()
    image = PeImage(data)

    def check(condition, message):
        if not condition:
            failures.append('%s: %s' % (path, message))

    machine, magic = MACHINES[arch]
    kind = {PE32: 'PE32', PE32_PLUS: 'PE32+'}[image.magic]
    check(image.magic == magic and image.machine == machine,
          'expected %s for machine 0x%x, found %s for machine 0x%x'
          % ('PE32' if magic == PE32 else 'PE32+', machine, kind, image.machine))
    check(image.subsystem == SUBSYSTEM_WINDOWS_GUI,
          'subsystem %d, expected the Windows GUI (2)' % image.subsystem)

    imports = image.imports()
    check({name.upper() for name in imports} == expected['imports'] and len(imports) == len(expected['imports']),
          'imports %s, expected exactly %s' % (sorted(imports), sorted(expected['imports'])))

    budget = expected['budget'][arch]
    check(len(data) <= budget, '%d bytes, over its budget of %d' % (len(data), budget))

    versions = image.resources(RT_VERSION)
    check(len(versions) == 1, '%d version resources, expected one' % len(versions))
    fixed, strings = version_info(versions[0]) if versions else ({}, {})
    check(strings.get('ProductName') == 'Tarnbeck',
          'ProductName %r, expected \'Tarnbeck\'' % strings.get('ProductName'))
    check(bool(strings.get('FileDescription')), 'no FileDescription')
    check(strings.get('OriginalFilename') == path.name,
          'OriginalFilename %r, expected %r' % (strings.get('OriginalFilename'), path.name))
    check(strings.get('FileVersion') == fixed.get('file'),
          'FileVersion %r differs from the fixed file version %r'
          % (strings.get('FileVersion'), fixed.get('file')))
    check(strings.get('ProductVersion') == fixed.get('product'),
          'ProductVersion %r differs from the fixed product version %r'
          % (strings.get('ProductVersion'), fixed.get('product')))

    for manifest in image.resources(RT_MANIFEST):
        check(b'requestedExecutionLevel' not in manifest,
              'its manifest asks for an execution level (requestedExecutionLevel)')

    print('%-14s %-6s %-5s GUI  %6d bytes (budget %d)  imports %s' % (
        path.name, arch, kind, len(data), budget, ', '.join(imports)))
    print('               version %s, %s' % (fixed.get('file'), ', '.join(
        '%s=%r' % item for item in sorted(strings.items()))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--arch', choices=sorted(MACHINES), required=True)
    parser.add_argument('folder')
    args = parser.parse_args()
    folder = Path(args.folder)
    present = [folder / name for name in PROGRAMS if (folder / name).exists()]
    if not present:
        print('SKIPPED: no %s build in %s (build that preset first)' % (args.arch, folder))
        return SKIPPED
    failures = []
    for name in PROGRAMS:
        path = folder / name
        if not path.exists():
            failures.append('%s: missing' % path)
            continue
        try:
            inspect(path, args.arch, failures)
        except (PeError, struct.error, ValueError) as error:
            failures.append('%s: unreadable as a PE image: %s' % (path, error))
    for failure in failures:
        print('FAILED ' + failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
