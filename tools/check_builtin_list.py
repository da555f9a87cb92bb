#!/usr/bin/env python3
"""Checks src/engine/builtin_list.def: 396 entries, names strictly ascending
(code unit by code unit), sensible argument counts and a known family.

Usage: tools/check_builtin_list.py [path to builtin_list.def]
Exits with status 1 and a message for every problem found.
"""
import os
import re
import sys

EXPECTED_COUNT = 396
FAMILIES = {'Core', 'Text', 'Files', 'Foreign', 'Net', 'Process', 'Window', 'Input', 'Gui'}
ENTRY = re.compile(r'^BUILTIN\(\s*([A-Z0-9_]+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*([A-Za-z]+)\s*\)\s*$')


def utf16_units(name):
    data = name.encode('utf-16-le')
    return [data[i] | (data[i + 1] << 8) for i in range(0, len(data), 2)]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'src', 'engine', 'builtin_list.def')
    problems = []
    entries = []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            text = line.strip()
            if not text or text.startswith('//'):
                continue
            m = ENTRY.match(text)
            if not m:
                problems.append(f'line {number}: not a BUILTIN entry: {text}')
                continue
            name, low, high, family = m.group(1), int(m.group(2)), int(m.group(3)), m.group(4)
            entries.append((number, name, low, high, family))

    if len(entries) != EXPECTED_COUNT:
        problems.append(f'{len(entries)} entries, expected {EXPECTED_COUNT}')
    for i, (number, name, low, high, family) in enumerate(entries):
        if low > high:
            problems.append(f'line {number}: {name}: minimum {low} above maximum {high}')
        if high > 255:
            problems.append(f'line {number}: {name}: maximum {high} above 255')
        if family not in FAMILIES:
            problems.append(f'line {number}: {name}: unknown family {family}')
        if i > 0:
            previous = entries[i - 1][1]
            if not utf16_units(previous) < utf16_units(name):
                problems.append(f'line {number}: {name} does not come after {previous}')

    if problems:
        for p in problems:
            print(f'{path}: {p}', file=sys.stderr)
        return 1
    print(f'{path}: {len(entries)} entries, sorted, counts and families valid')
    return 0


if __name__ == '__main__':
    sys.exit(main())
