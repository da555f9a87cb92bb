#!/usr/bin/env python3
"""Core benchmarks, each beside its Python 3 and Lua 5.4 equivalent, run side
by side in one run: median wall time of whole processes and the ratio of
ours to python3's.

  python3 bench/run.py [--runs N] [NAME ...]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, 'build', 'native-release', 'src', 'vexlet-native')
CORE = os.path.join(ROOT, 'bench', 'core')


def timed(cmd, runs):
    times, out = [], None
    for _ in range(runs):
        t = time.perf_counter()
        out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout.strip()
        times.append(time.perf_counter() - t)
    return statistics.median(times), out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--runs', type=int, default=3)
    parser.add_argument('names', nargs='*')
    args = parser.parse_args()
    subprocess.run(['bash', os.path.join(ROOT, 'tools', 'build.sh'), 'native-release'], check=True,
                   stdout=subprocess.DEVNULL)
    lua = shutil.which('lua5.4')
    names = args.names or sorted(f[:-4] for f in os.listdir(CORE) if f.endswith('.vx3'))
    print(f'{"benchmark":<14} {"vexlet":>9} {"python3":>9} {"lua5.4":>9} {"vexlet/python3":>15}')
    for name in names:
        ours, out1 = timed([NATIVE, os.path.join(CORE, name + '.vx3')], args.runs)
        py, out2 = timed([sys.executable, os.path.join(CORE, name + '.py')], args.runs)
        lua_script = os.path.join(CORE, name + '.lua')
        lu = timed([lua, lua_script], args.runs)[0] if lua and os.path.exists(lua_script) else float('nan')
        note = '' if out1 == out2 else f'  (outputs differ: {out1!r} vs {out2!r})'
        print(f'{name:<14} {ours:>8.3f}s {py:>8.3f}s {lu:>8.3f}s {ours / py:>15.2f}{note}')


if __name__ == '__main__':
    main()
