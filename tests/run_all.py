#!/usr/bin/env python3
"""Everything the README's test command runs, with one summary line at the end."""
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def step(title):
    print(f'== {title}', flush=True)


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, **kw)


def main():
    started = time.time()
    passed = failed = 0
    step('build: native (sanitizers), win64, win32')
    if run(['bash', 'tools/build.sh', 'native', 'win64', 'win32']).returncode != 0:
        print('0 passed, 1 failed')
        return 1

    step('unit tests (native, ASan and UBSan)')
    unit = run(['ctest', '--test-dir', 'build/native', '--output-on-failure', '-j', '2'],
               capture_output=True, text=True)
    m = re.search(r'(\d+)% tests passed, (\d+) tests failed out of (\d+)', unit.stdout)
    if m:
        total, bad = int(m.group(3)), int(m.group(2))
        passed, failed = passed + total - bad, failed + bad
        if bad:
            print(unit.stdout[-20000:])
        print(f'unit tests: {total - bad} passed, {bad} failed')
    else:
        print(unit.stdout[-5000:], unit.stderr[-5000:])
        failed += 1

    for mode in (['--native'], []):
        step('script tests ' + ('(native runner)' if mode else '(Windows build under Wine)'))
        out = run([sys.executable, 'tests/run_scripts.py'] + mode, capture_output=True, text=True)
        sys.stdout.write(out.stdout)
        sys.stderr.write(out.stderr)
        m = re.search(r': (\d+) passed, (\d+) failed', out.stdout)
        if m:
            passed, failed = passed + int(m.group(1)), failed + int(m.group(2))
        else:
            failed += 1
        if out.returncode != 0 and not (m and int(m.group(2))):
            failed += 1

    step('host window, tray icon and pause (under Wine and Xvfb)')
    out = run([sys.executable, 'tests/host_window_test.py'], capture_output=True, text=True)
    sys.stdout.write(out.stdout[-5000:])
    m = re.search(r'host window tests: (\d+) passed, (\d+) failed', out.stdout)
    if m:
        passed, failed = passed + int(m.group(1)), failed + int(m.group(2))
    else:
        sys.stdout.write(out.stderr[-3000:])
        failed += 1

    print(f'== done in {time.time() - started:.0f} s')
    print(f'{passed} passed, {failed} failed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
