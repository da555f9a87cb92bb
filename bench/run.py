#!/usr/bin/env python3
"""Benchmarks, each beside its Python 3 (and Lua 5.4) equivalent, run side by
side in one run: median wall time of whole processes and the ratio of ours to
python3's. Those in bench/core/ run the native build of the portable core;
those in bench/files/ need the Windows build and run it under Wine (its start,
about 0.15 s, is part of the time).

  python3 bench/run.py [--runs N] [NAME ...]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, 'build', 'native-release', 'src', 'vexlet-native')
CORE = os.path.join(ROOT, 'bench', 'core')
FILES = os.path.join(ROOT, 'bench', 'files')
WINDOWS_EXE = os.path.join(ROOT, 'build', 'win64', 'src', 'vexlet.exe')
sys.path.insert(0, os.path.join(ROOT, 'tests'))


def timed(cmd, runs, env=None):
    """Median wall time until the process ends, and its output. Output goes to
    a file, not a pipe: under Wine, helper processes that a program wakes may
    hold its pipes open past its end, which would be timed too."""
    times, out = [], None
    with tempfile.TemporaryFile() as sink:
        for _ in range(runs):
            sink.seek(0)
            sink.truncate()
            t = time.perf_counter()
            subprocess.run(cmd, check=True, stdout=sink, stderr=subprocess.DEVNULL, env=env)
            times.append(time.perf_counter() - t)
            sink.seek(0)
            out = sink.read().decode('utf-8', 'replace').strip()
    return statistics.median(times), out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--runs', type=int, default=3)
    parser.add_argument('names', nargs='*')
    args = parser.parse_args()
    listed = lambda folder: sorted(f[:-4] for f in os.listdir(folder) if f.endswith('.vx3'))
    names = args.names or listed(CORE) + listed(FILES)
    windows = [n for n in names if os.path.exists(os.path.join(FILES, n + '.vx3'))]
    presets = ['native-release'] + (['win64'] if windows else [])
    subprocess.run(['bash', os.path.join(ROOT, 'tools', 'build.sh')] + presets, check=True,
                   stdout=subprocess.DEVNULL)
    wine_env = None
    if windows:
        from wine import WINE, wine_environment
        wine_env = wine_environment()
    lua = shutil.which('lua5.4')
    print(f'{"benchmark":<14} {"vexlet":>9} {"python3":>9} {"lua5.4":>9} {"vexlet/python3":>15}')
    for name in names:
        folder = FILES if name in windows else CORE
        script = os.path.join(folder, name + '.vx3')
        ours_cmd = [WINE, WINDOWS_EXE, script] if name in windows else [NATIVE, script]
        ours, out1 = timed(ours_cmd, args.runs, wine_env)
        py, out2 = timed([sys.executable, os.path.join(folder, name + '.py')], args.runs)
        lua_script = os.path.join(folder, name + '.lua')
        lu = timed([lua, lua_script], args.runs)[0] if lua and os.path.exists(lua_script) else float('nan')
        note = '' if out1 == out2 else f'  (outputs differ: {out1!r} vs {out2!r})'
        print(f'{name:<14} {ours:>8.3f}s {py:>8.3f}s {lu:>8.3f}s {ours / py:>15.2f}{note}')


if __name__ == '__main__':
    main()
