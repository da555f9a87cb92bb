#!/usr/bin/env python3
"""Runs the script test cases (tests/scripts/**/*.cases) through the real
executable: under Wine (default) or the native runner (--native).

Prints one line per failure with a diff, and ends with
"script tests (MODE): N passed, N failed, N skipped".
"""
import argparse
import concurrent.futures
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
import cases as casefile  # noqa: E402
from wine import wine_environment  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE = '/usr/lib/wine/wine64'
TIMEOUT = 30


def windows_path(path):
    return 'Z:' + path.replace('/', '\\')


class Runner:
    def __init__(self, native):
        self.native = native
        if native:
            self.exe = os.path.join(ROOT, 'build', 'native', 'src', 'vexlet-native')
            self.env = dict(os.environ)
            self.env.pop('VEXLET_INCLUDE', None)
        else:
            self.exe = os.path.join(ROOT, 'build', 'win64', 'src', 'vexlet.exe')
            self.probe = os.path.join(ROOT, 'build', 'win64', 'tests', 'helper', 'winprobe.exe')
            self.env = wine_environment()

    def program_path(self, path):
        return path if self.native else windows_path(path)

    def command(self, exe, args):
        return [exe] + args if self.native else [WINE, exe] + args

    def set_registry_include(self, value):
        if self.native:
            return
        key = r'HKCU\Software\Vexlet v3\Vexlet'
        if value is None:
            cmd = [WINE, 'reg', 'delete', key, '/v', 'Include', '/f']
        else:
            cmd = [WINE, 'reg', 'add', key, '/v', 'Include', '/t', 'REG_SZ', '/d', value, '/f']
        subprocess.run(cmd, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)

    def warm_up(self):
        """The first program with a tray icon also starts Wine's desktop and
        notification area; let that happen once, alone, before cases run in
        parallel."""
        work = tempfile.mkdtemp(prefix='vxwarm-')
        try:
            script = os.path.join(work, 'warm.vx3')
            with open(script, 'w') as f:
                f.write('$a = 1\n')
            subprocess.run(self.command(self.exe, [self.program_path(script)]), env=self.env, cwd=work,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                           timeout=120)
        except subprocess.TimeoutExpired:
            print('warm-up run timed out', flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def run(self, case):
        """Returns None when the case passes, else a failure text."""
        result = self._run_once(case)
        if result and 'timed out after' in result:
            # A stalled start under Wine is retried once, and said so.
            print(f'RETRY {case.label}: {result.splitlines()[0]}', flush=True)
            result = self._run_once(case)
        return result

    def _run_once(self, case):
        work = tempfile.mkdtemp(prefix='vxcase-')
        try:
            return self._run(case, work)
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def _run(self, case, work):
        script = os.path.join(work, 'case.vx3')
        exe = self.exe
        if case.exe_copy:
            exe = os.path.join(work, os.path.basename(self.exe))
        values = {
            '{script}': self.program_path(script),
            '{dir}': self.program_path(work),
            '{exe}': self.program_path(exe),
            '{_}': ' ',
            '{nl}': '\n',
            '{sep}': '/' if self.native else '\\',
        }

        def fill(text):
            for k, v in values.items():
                text = text.replace(k, v)
            return re.sub(r'\{u\+([0-9A-Fa-f]{4})\}', lambda m: chr(int(m.group(1), 16)), text)

        if case.script is not None:
            text, opts = case.script
            with open(script, 'wb') as f:
                f.write(casefile.encode_file(fill(text), opts))
        for name, text, opts in case.files:
            path = os.path.join(work, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if isinstance(text, str):
                text = fill(text)
            with open(path, 'wb') as f:
                f.write(casefile.encode_file(text, opts))
        if case.exe_copy:
            shutil.copy2(self.exe, exe)
            if case.exe_append:
                with open(exe, 'ab') as f:
                    f.write(case.exe_append)
        args = split_args(fill(case.args))
        if case.registry_include is not None:
            self.set_registry_include(fill(case.registry_include))
        placed = set(walk(work)) | {os.path.normpath(name) for name, _ in case.written}
        try:
            result = self._execute(case, exe, args, fill, work)
            # Scripts remove what they make: whatever is new in the folder
            # after a passing case was left behind.
            left = sorted(set(walk(work)) - placed) if result is None else []
            return f'left behind: {", ".join(left)}' if left else result
        finally:
            if case.registry_include is not None:
                self.set_registry_include(None)

    def _execute(self, case, exe, args, fill, work):
        proc = subprocess.Popen(self.command(exe, args), env=self.env, cwd=work,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        dialog_text = None
        failures = []
        if case.dialog is not None and not self.native:
            command = [WINE, self.probe, 'dialog', '--title', case.dialog_title, '--timeout', '15000']
            if case.dialog_press:
                command += ['--press', case.dialog_press]
            probe = subprocess.run(command, env=self.env, capture_output=True, timeout=TIMEOUT)
            probe_output = probe.stdout.decode('utf-8', 'replace')
            dialog_text = parse_probe_dialog(probe_output)
            if probe.returncode != 0:
                failures.append(f'no dialog titled {case.dialog_title!r} appeared')
            elif case.dialog_title == ' Error' and 'topmost=1' not in probe_output.split('\n'):
                # Error reports are system-modal, which puts them on top of every window.
                failures.append('the error message box is not system-modal (not topmost)')
        if case.probe and not self.native:
            probe_output = self._drive(case, fill, failures)
            if case.probe_output is not None and probe_output != fill(case.probe_output):
                failures.append('probe output differs:\n' + diff(fill(case.probe_output).encode(), probe_output.encode()))
        try:
            out, err = proc.communicate(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            out, err = proc.communicate()
            failures.append(f'timed out after {TIMEOUT}s')
        if case.dialog is not None and self.native:
            dialog_text = parse_native_dialog(err.decode('utf-8', 'replace'), case.dialog_title)
        expected_exit = case.exit & 0xFF
        if proc.returncode & 0xFF != expected_exit:
            failures.append(f'exit code {proc.returncode}, expected {case.exit}')
        if case.stdout is not None:
            want = fill(case.stdout).encode('cp1252', 'replace')
            if out != want:
                failures.append('stdout differs:\n' + diff(want, out))
        elif out:
            failures.append('unexpected stdout:\n' + out.decode('cp1252', 'replace'))
        if case.dialog and dialog_text is not None:
            want = fill(case.dialog)
            if dialog_text != want:
                failures.append('dialog text differs:\n' + diff(want.encode(), dialog_text.encode()))
        for name, want in case.written:
            path = os.path.join(work, name)
            got = open(path, 'rb').read() if os.path.exists(path) else None
            if got != want:
                failures.append(f'{name} holds {got!r}, expected {want!r}')
        if failures:
            if err:
                failures.append('stderr: ' + err.decode('utf-8', 'replace')[:2000])
            return '\n'.join(failures)
        return None

    def _drive(self, case, fill, failures):
        """Runs the case's probe commands in order; stops at the first that fails."""
        output = ''
        for line in case.probe:
            args = split_args(fill(line))
            try:
                done = subprocess.run([WINE, self.probe] + args, env=self.env, capture_output=True,
                                      timeout=TIMEOUT, stdin=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                failures.append(f'probe {line!r} timed out')
                break
            # The style lines of "dialog" depend on Wine's version, not on the script.
            output += ''.join(out for out in done.stdout.decode('utf-8', 'replace').splitlines(keepends=True)
                              if not out.startswith(('style=', 'exstyle=', 'topmost=')))
            if done.returncode != 0:
                failures.append(f'probe {line!r} failed: ' + done.stderr.decode('utf-8', 'replace').strip())
                break
        return output


def walk(folder):
    """Every file and folder under `folder`, relative to it."""
    for base, dirs, files in os.walk(folder):
        for name in dirs + files:
            yield os.path.relpath(os.path.join(base, name), folder)


def split_args(text):
    """Splits an args line like a shell would, keeping backslashes."""
    import shlex
    lexer = shlex.shlex(text, posix=True)
    lexer.whitespace_split = True
    lexer.escape = ''
    return list(lexer)


def parse_probe_dialog(output):
    lines = output.split('\n')
    # Title first, then the message text lines; winprobe escapes line breaks.
    body = [line for line in lines[1:] if line and not line.startswith(('style=', 'exstyle=', 'topmost=', 'pressed=', 'closed'))]
    text = '\n'.join(body)
    return text.replace('\\r', '\r').replace('\\n', '\n').replace('\\\\', '\\')


def parse_native_dialog(err, title):
    head = f'[{title}]\n'
    if not err.startswith(head):
        return None
    text = err[len(head):]
    return text[:-1] if text.endswith('\n') else text


def diff(want, got):
    w = want.decode('cp1252', 'replace').splitlines(keepends=True)
    g = got.decode('cp1252', 'replace').splitlines(keepends=True)
    return ''.join(difflib.unified_diff(w, g, 'expected', 'actual')) or f'expected {want!r}\n  actual {got!r}'


def discover(filter_text):
    base = os.path.join(ROOT, 'tests', 'scripts')
    found = []
    for folder, _, files in sorted(os.walk(base)):
        for name in sorted(files):
            if name.endswith('.cases'):
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, base)
                for case in casefile.parse(path, rel):
                    if not filter_text or filter_text in case.label:
                        found.append(case)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--native', action='store_true')
    parser.add_argument('--filter', default='')
    parser.add_argument('-j', '--jobs', type=int, default=2)
    options = parser.parse_args()
    mode = 'native' if options.native else 'wine'
    runner = Runner(options.native)
    all_cases = discover(options.filter)
    skipped = [c for c in all_cases if c.only and c.only != ('native' if options.native else 'windows')]
    todo = [c for c in all_cases if c not in skipped]
    # Cases that show windows or change the shared registry run one at a time.
    serial = [c for c in todo if ((c.dialog is not None or c.probe) and not options.native)
              or c.registry_include is not None]
    parallel = [c for c in todo if c not in serial]
    if not options.native:
        runner.warm_up()
    results = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
        results += list(zip(parallel, pool.map(runner.run, parallel)))
    results += [(c, runner.run(c)) for c in serial]
    failed = [(c, r) for c, r in results if r is not None]
    for case, failure in failed:
        print(f'FAIL {case.label}\n  ' + failure.replace('\n', '\n  '))
    print(f'script tests ({mode}): {len(results) - len(failed)} passed, {len(failed)} failed, '
          f'{len(skipped)} skipped')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
