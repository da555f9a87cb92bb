#!/usr/bin/env python3
"""Load benchmark: reading and lexing a generated 100,000-line script, beside
CPython compiling an equivalent 100,000-line module, measured in one run.

Both sides are whole processes timed several times; medians and their ratio
are printed. The script's lines sit inside functions that are never called,
so only loading and preparing is measured.

  python3 bench/load.py [--lines N] [--runs N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, 'build', 'native-release', 'src', 'vexlet-native')

VX_BODY = [
    '\tLocal $total = 0, $name = "item" & $i ; running total',
    '\tIf $total >= 10 And Not IsArray($list) Then $total -= 1',
    '\t$text = StringUpper(\'abc\') & @CRLF & StringLen("some ""quoted"" text")',
    '\tFor $k = 1 To 0x10 Step 2',
    '\t\t$value = ($k * 3.5e2 + 1) / 7 - Mod($k, 3)',
    '\tNext',
    '\t$array[$i][2] = Round(Sqrt($value), 2) & _',
    '\t\t" units"',
]
PY_BODY = [
    '    total = 0; name = "item" + str(i)  # running total',
    '    if total >= 10 and not isinstance(lst, list): total -= 1',
    '    text = "abc".upper() + "\\r\\n" + str(len("some \\"quoted\\" text"))',
    '    for k in range(1, 0x10, 2):',
    '        value = (k * 3.5e2 + 1) / 7 - k % 3',
    '    pass',
    '    array[i][2] = str(round(value ** 0.5, 2)) + \\',
    '        " units"',
]


def generate(lines, body, head, tail):
    out, n = [], 0
    f = 0
    while n < lines:
        out.append(head(f))
        out.extend(body)
        out.append(tail)
        n += len(body) + 2
        f += 1
    return '\n'.join(out) + '\n'


def median_time(cmd, runs):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--lines', type=int, default=100_000)
    parser.add_argument('--runs', type=int, default=7)
    args = parser.parse_args()
    subprocess.run(['bash', os.path.join(ROOT, 'tools', 'build.sh'), 'native-release'], check=True,
                   stdout=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory() as tmp:
        vx = os.path.join(tmp, 'load.vx3')
        py = os.path.join(tmp, 'load.py')
        with open(vx, 'w', newline='\r\n') as f:
            f.write(generate(args.lines, VX_BODY, lambda i: f'Func F{i}($i, ByRef $list)', 'EndFunc'))
        with open(py, 'w') as f:
            f.write(generate(args.lines, PY_BODY, lambda i: f'def f{i}(i, lst):', ''))
        ours = median_time([NATIVE, vx], args.runs)
        theirs = median_time([sys.executable, '-c', f'compile(open({py!r}).read(), {py!r}, "exec")'], args.runs)
        empty = os.path.join(tmp, 'empty.vx3')
        with open(empty, 'w') as f:
            f.write('$a = 1\n')
        base = median_time([NATIVE, empty], args.runs)
    print(f'load {args.lines} lines: vexlet {ours * 1000:.1f} ms (process start alone {base * 1000:.1f} ms), '
          f'python3 compile() {theirs * 1000:.1f} ms; ratio vexlet/python3 = {ours / theirs:.2f}')


if __name__ == '__main__':
    main()
