#!/usr/bin/env python3
"""Host window, tray icon, pause and exit, for real under Wine: host_demo.exe runs the host
window under a loop shaped like the run loop, winprobe.exe clicks the tray and drives the menu
from outside, and the demo's report lines say what the loop saw.

Needs the win64 build (tools/build.sh win64). Ends with "host window tests: N passed, N failed".
"""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine import wine_environment  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HELPERS = os.path.join(ROOT, 'build', 'win64', 'tests', 'helper')
DEMO = os.path.join(HELPERS, 'host_demo.exe')
PROBE = os.path.join(HELPERS, 'winprobe.exe')
WINE = '/usr/lib/wine/wine64'
HOST = ['--class', 'Vexlet v3']
WM_CLOSE = 0x10
WM_QUERYENDSESSION = 0x11
ENDSESSION_LOGOFF = 0x80000000


ENV = None


def probe(*args, timeout=15):
    done = subprocess.run([WINE, PROBE, *args], env=ENV, capture_output=True, timeout=timeout,
                          stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout.decode('utf-8', 'replace')


def tray_icons():
    return probe('tray-icons')[1].split()


class Demo:
    """One host_demo.exe run; its report goes to a file, read while it runs."""

    def __init__(self, *args, seconds=10):
        self.report = tempfile.NamedTemporaryFile(prefix='host_demo_', suffix='.out', delete=False)
        self.proc = subprocess.Popen([WINE, DEMO, '--seconds', str(seconds), *args], env=ENV,
                                     stdout=self.report, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.ready = self.wait_for(r'^ready window=(\S+) tray=(\d)$')

    def lines(self):
        with open(self.report.name, encoding='utf-8', errors='replace') as f:
            return f.read().splitlines()

    def wait_for(self, pattern, timeout=5.0, after=0):
        """The first line from index `after` on that matches, as a match object, or None."""
        deadline = time.time() + timeout
        while True:
            ended = self.proc.poll() is not None  # before reading, so the last lines count
            for line in self.lines()[after:]:
                m = re.search(pattern, line)
                if m:
                    return m
            if ended or time.time() > deadline:
                return None
            time.sleep(0.03)

    def ticks(self):
        numbers = [int(line[5:]) for line in self.lines() if line.startswith('tick ')]
        return numbers[-1] if numbers else 0

    def state(self):
        """The last state line as a dict: paused, menu, tooltip."""
        for line in reversed(self.lines()):
            m = re.match(r'^state paused=(\d) menu=(.*) tooltip=(.*)$', line)
            if m:
                return {'paused': m.group(1), 'menu': m.group(2), 'tooltip': m.group(3)}
        return {}

    def wait_state(self, timeout=3.0, **want):
        deadline = time.time() + timeout
        while True:
            state = self.state()
            if all(state.get(k) == v for k, v in want.items()):
                return state
            if time.time() > deadline:
                return state
            time.sleep(0.03)

    def finish(self, timeout=5.0):
        """The end line's (reason, method), or None when it did not end in time."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return None
        m = self.wait_for(r'^end reason=(\w+) method=(\d+)$', timeout=0)
        return (m.group(1), int(m.group(2))) if m else None

    def close(self):
        probe('close', *HOST)
        return self.finish()

    def cleanup(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.report.close()
        os.unlink(self.report.name)


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=''):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f'FAIL {name}' + (f': {detail}' if detail else ''), flush=True)


def ticks_frozen(demo, seconds=0.4):
    before = demo.ticks()
    time.sleep(seconds)
    return demo.ticks() == before


def ticks_advance(demo, timeout=2.0):
    before = demo.ticks()
    deadline = time.time() + timeout
    while time.time() < deadline:
        if demo.ticks() > before:
            return True
        time.sleep(0.03)
    return False


def test_window_and_close(r):
    demo = Demo()
    try:
        r.check('window: the demo starts with a tray icon', demo.ready and demo.ready.group(2) == '1')
        if not demo.ready:
            return
        handle = demo.ready.group(1)
        listing = probe('list')[1].splitlines()
        r.check('window: hidden, class and title "Vexlet v3"', f'{handle}|Vexlet v3|Vexlet v3|0' in listing,
                '\n'.join(line for line in listing if 'Vexlet' in line))
        texts = probe('texts', '--handle', handle)[1].splitlines()
        r.check('window: one edit child with id 1', texts[1:] == ['Edit|1|'], texts)
        r.check('window: the icon is in the notification area', len(tray_icons()) == 1, tray_icons())
        r.check('window: ticks run', ticks_advance(demo))
        end = demo.close()
        r.check('window: a close message ends the loop, exit method unchanged', end == ('exit', 0), end)
        r.check('window: the icon goes with the window', tray_icons() == [], tray_icons())
    finally:
        demo.cleanup()


def test_pause_resume_exit(r):
    demo = Demo()
    try:
        # A click on the icon itself: the notification area hands it on to the host window.
        probe('tray-click', '--icon', '--button', 'right')
        code, _ = probe('menu', '--close', '--timeout', '5000')
        r.check('pause: a right click opens the menu', code == 0)
        state = demo.wait_state(paused='1')
        r.check('pause: the menu has "Script Paused", a separator and "Exit"',
                state.get('menu') == '4:Script Paused[x]|6:-|3:Exit', state)
        r.check('pause: opening the menu pauses, and the tooltip says so',
                state.get('paused') == '1' and state.get('tooltip') == '(Paused) demo.vx3', state)
        r.check('pause: no ticks while paused', ticks_frozen(demo))

        probe('tray-click', *HOST, '--button', 'right')
        code, _ = probe('menu', '--keys', 'down,return')
        r.check('resume: "Script Paused" is chosen', code == 0)
        state = demo.wait_state(paused='0')
        r.check('resume: choosing "Script Paused" again resumes',
                state.get('paused') == '0' and state.get('tooltip') == 'demo.vx3' and
                state.get('menu') == '4:Script Paused|6:-|3:Exit', state)
        r.check('resume: ticks run again', ticks_advance(demo))

        probe('tray-click', *HOST, '--button', 'right')
        code, _ = probe('menu', '--keys', 'down,down,return')
        r.check('exit: "Exit" is chosen', code == 0)
        end = demo.finish()
        r.check('exit: "Exit" ends the loop with exit method 2', end == ('exit', 2), end)
    finally:
        demo.cleanup()


def test_commands_by_id(r):
    # The same commands as WM_COMMAND ids, as a script's own menu would reach its owner.
    demo = Demo()
    try:
        probe('tray-click', *HOST, '--button', 'left')
        code, out = probe('menu', '--choose-id', '4')
        r.check('ids: a left click opens the menu too', code == 0, out)
        r.check('ids: command 4 toggles the pause opened by the click',
                demo.wait_state(paused='0', menu='4:Script Paused|6:-|3:Exit').get('paused') == '0', demo.state())
        probe('send', *HOST, '--msg', '0x111', '--wparam', '4', '--post')
        r.check('ids: command 4 alone pauses', demo.wait_state(paused='1').get('menu') == '4:Script Paused[x]|6:-|3:Exit',
                demo.state())
        probe('send', *HOST, '--msg', '0x111', '--wparam', '3', '--post')
        end = demo.finish()
        r.check('ids: command 3 exits a paused script with exit method 2', end == ('exit', 2), end)
    finally:
        demo.cleanup()


def test_menu_does_not_open(r):
    for flag, why in [('--no-menu', 'after BREAK(0)'), ('--no-builtin-items', 'without any items')]:
        demo = Demo(flag)
        try:
            probe('tray-click', *HOST, '--button', 'right')
            code, _ = probe('menu', '--close', '--timeout', '700')
            r.check(f'no menu {why}: a click opens nothing', code != 0)
            r.check(f'no menu {why}: and does not pause', demo.state().get('paused') == '0' and ticks_advance(demo),
                    demo.state())
            end = demo.close()
            r.check(f'no menu {why}: the demo ends cleanly', end == ('exit', 0), end)
        finally:
            demo.cleanup()


def test_builtin_items_removed(r):
    # The items are in the menu from the first click on; switching them off later takes them out.
    demo = Demo('--builtin-items-off-at', '1200')
    try:
        probe('tray-click', *HOST, '--button', 'right')
        probe('menu', '--choose-id', '4')
        state = demo.wait_state(paused='0', menu='4:Script Paused|6:-|3:Exit')
        r.check('items off: the first click added the items', state.get('menu') == '4:Script Paused|6:-|3:Exit', state)
        r.check('items off: the demo switches them off', demo.wait_for('^builtin-items off$') is not None)
        probe('tray-click', *HOST, '--button', 'right')
        code, _ = probe('menu', '--close', '--timeout', '700')
        state = demo.wait_state(menu='')
        r.check('items off: all four are deleted and the empty menu stays shut',
                code != 0 and state.get('menu') == '' and state.get('paused') == '0', state)
        end = demo.close()
        r.check('items off: the demo ends cleanly', end == ('exit', 0), end)
    finally:
        demo.cleanup()


def test_session_end(r):
    demo = Demo()
    try:
        seen = len(demo.lines())
        for flags, method in [(ENDSESSION_LOGOFF, 3), (0, 4)]:
            code, out = probe('send', *HOST, '--msg', str(WM_QUERYENDSESSION), '--lparam', hex(flags))
            r.check(f'session end {method}: the host agrees to end', code == 0 and out.strip() == '1', out)
            m = demo.wait_for(r'^session-end method=(\d)$', after=seen)
            r.check(f'session end {method}: the exit hook runs with exit method {method}',
                    m and m.group(1) == str(method), demo.lines()[seen:][-3:])
            seen = len(demo.lines())
        r.check('session end: the script is not asked to exit a second time', ticks_advance(demo))
        end = demo.close()
        r.check('session end: a later close keeps the exit method', end == ('exit', 4), end)
    finally:
        demo.cleanup()


def test_taskbar_created(r):
    demo = Demo()
    try:
        before = tray_icons()
        probe('send', '--broadcast', '--msg-name', 'TaskbarCreated', '--post')
        deadline = time.time() + 3
        after = tray_icons()
        while (after == before or len(after) != 1) and time.time() < deadline:
            time.sleep(0.05)
            after = tray_icons()
        r.check('taskbar created: the icon is added anew', len(before) == 1 and len(after) == 1 and after != before,
                (before, after))
        r.check('taskbar created: the loop goes on', ticks_advance(demo))
        end = demo.close()
        r.check('taskbar created: the demo ends cleanly', end == ('exit', 0), end)
    finally:
        demo.cleanup()


def test_no_tray_icon(r):
    demo = Demo('--no-tray')
    try:
        r.check('no tray: the demo reports no icon', demo.ready and demo.ready.group(2) == '0')
        r.check('no tray: nothing in the notification area', tray_icons() == [], tray_icons())
        r.check('no tray: the host window is there all the same', probe('wait', *HOST, '--timeout', '2000')[0] == 0)
        end = demo.close()
        r.check('no tray: a close message ends the loop', end == ('exit', 0), end)
    finally:
        demo.cleanup()


def test_tooltips(r):
    long_name = 'x' * 200
    # A cut through the middle of a surrogate pair would leave half a character.
    pair_at_cut = 'a' * 126 + '\U0001F600' + 'b'
    cases = [
        (['--name', long_name], 'x' * 127),
        (['--name', pair_at_cut], 'a' * 126),
        (['--debug-line', 'Sleep(100)'], r'demo.vx3\nLine: Sleep(100)'),
    ]
    for args, want in cases:
        demo = Demo(*args)
        try:
            got = demo.wait_state(tooltip=want).get('tooltip')
            r.check(f'tooltip {args[0]} {args[1][:12]}...', got == want, got)
            if args[0] == '--debug-line':
                # The debug form keeps the pause prefix.
                probe('tray-click', *HOST, '--button', 'right')
                probe('menu', '--close')
                paused = r'(Paused) demo.vx3\nLine: Sleep(100)'
                got = demo.wait_state(tooltip=paused).get('tooltip')
                r.check('tooltip: debug form while paused', got == paused, got)
            demo.close()
        finally:
            demo.cleanup()


TESTS = [test_window_and_close, test_pause_resume_exit, test_commands_by_id, test_menu_does_not_open,
         test_builtin_items_removed, test_session_end, test_taskbar_created, test_no_tray_icon, test_tooltips]


VEXLET = os.path.join(ROOT, 'build', 'win64', 'src', 'vexlet.exe')
TICKER = """$i = 0
While 1
	$i += 1
	ConsoleWrite("tick " & $i & @LF)
	Sleep(20)
WEnd
"""


class Script:
    """One run of the real vexlet.exe; its standard output goes to a file read while it runs."""

    def __init__(self, text):
        self.folder = tempfile.mkdtemp(prefix='vxhost-')
        path = os.path.join(self.folder, 'ticker.vx3')
        with open(path, 'w') as f:
            f.write(text)
        self.out = os.path.join(self.folder, 'out.txt')
        self.file = open(self.out, 'wb')
        self.proc = subprocess.Popen([WINE, VEXLET, '/ErrorStdOut', 'Z:' + path.replace('/', '\\')], env=ENV,
                                     stdout=self.file, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        probe('wait', *HOST, '--timeout', '10000')

    def ticks(self):
        with open(self.out, encoding='utf-8', errors='replace') as f:
            numbers = [int(line[5:]) for line in f.read().splitlines() if line.startswith('tick ')]
        return numbers[-1] if numbers else 0

    def finish(self, timeout=5):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def cleanup(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.file.close()
        subprocess.run(['rm', '-rf', self.folder])


def test_script_pause_resume_exit(r):
    script = Script(TICKER)
    try:
        r.check('script: lines run', ticks_advance(script, timeout=5))
        probe('tray-click', *HOST, '--button', 'right')
        code, _ = probe('menu', '--close', '--timeout', '5000')
        r.check('script: a right click on its tray icon opens the menu', code == 0)
        time.sleep(0.1)
        r.check('script: no line runs while paused', ticks_frozen(script))
        probe('tray-click', *HOST, '--button', 'right')
        probe('menu', '--keys', 'down,return')
        r.check('script: "Script Paused" again resumes the lines', ticks_advance(script))
        probe('tray-click', *HOST, '--button', 'right')
        probe('menu', '--keys', 'down,down,return')
        r.check('script: "Exit" ends the run with exit code 0', script.finish() == 0)
    finally:
        script.cleanup()


def test_script_close_and_long_sleep(r):
    script = Script(TICKER)
    try:
        ticks_advance(script, timeout=5)
        probe('close', *HOST)
        r.check('script: a close message to the host window ends the run', script.finish() == 0)
    finally:
        script.cleanup()
    script = Script('ConsoleWrite("tick 1" & @LF)\nSleep(60000)\nConsoleWrite("tick 2" & @LF)\n')
    try:
        ticks_advance(script, timeout=5)
        started = time.time()
        probe('send', *HOST, '--msg', '0x111', '--wparam', '3', '--post')
        code = script.finish()
        r.check('script: tray "Exit" ends a long Sleep at once', code == 0 and time.time() - started < 2,
                (code, time.time() - started))
        r.check('script: no line runs after the exit', script.ticks() == 1)
    finally:
        script.cleanup()


def test_script_break(r):
    script = Script('Break(0)\n' + TICKER)
    try:
        ticks_advance(script, timeout=5)
        probe('tray-click', *HOST, '--button', 'right')
        code, _ = probe('menu', '--close', '--timeout', '1000')
        r.check('script: after Break(0) a click opens no menu', code != 0)
        r.check('script: and does not pause', ticks_advance(script))
    finally:
        script.cleanup()


def test_script_exit_functions(r):
    script = Script('Func Bye()\n\tConsoleWrite("bye " & @ExitMethod & @LF)\nEndFunc\n'
                    'OnVexletExitRegister("Bye")\n' + TICKER)
    try:
        ticks_advance(script, timeout=5)
        probe('send', *HOST, '--msg', '0x111', '--wparam', '3', '--post')
        code = script.finish()
        with open(script.out, encoding='utf-8', errors='replace') as f:
            last = f.read().splitlines()[-1:]
        r.check('script: tray "Exit" runs the exit functions with @ExitMethod 2', code == 0 and last == ['bye 2'],
                (code, last))
    finally:
        script.cleanup()


def test_script_tray_exit_keeps_writes(r):
    script = Script('$h = FileOpen(@ScriptDir & "\\log.txt", 2)\n$i = 0\nWhile 1\n\t$i += 1\n'
                    '\tFileWriteLine($h, "line " & $i)\n\tConsoleWrite("tick " & $i & @LF)\n\tSleep(20)\nWEnd\n')
    try:
        ticks_advance(script, timeout=5)
        probe('send', *HOST, '--msg', '0x111', '--wparam', '3', '--post')
        code = script.finish()
        with open(os.path.join(script.folder, 'log.txt'), 'rb') as f:
            logged = f.read()
        want = b''.join(b'line %d\r\n' % i for i in range(1, script.ticks() + 1))
        r.check('script: what an open handle was given is on disk after tray "Exit"',
                code == 0 and script.ticks() > 0 and logged == want, (code, script.ticks(), logged[-40:]))
    finally:
        script.cleanup()


def test_script_session_end(r):
    script = Script('Func Bye()\n\tConsoleWrite("bye " & @ExitMethod & @LF)\nEndFunc\n'
                    'OnVexletExitRegister("Bye")\n' + TICKER)
    try:
        ticks_advance(script, timeout=5)
        probe('send', *HOST, '--msg', str(WM_QUERYENDSESSION), '--wparam', '0', '--lparam', str(ENDSESSION_LOGOFF))
        time.sleep(0.3)
        with open(script.out, encoding='utf-8', errors='replace') as f:
            byes = [line for line in f.read().splitlines() if line.startswith('bye')]
        r.check('script: a logoff runs the exit functions at once with @ExitMethod 3', byes == ['bye 3'], byes)
        probe('close', *HOST)
        script.finish()
        with open(script.out, encoding='utf-8', errors='replace') as f:
            byes = [line for line in f.read().splitlines() if line.startswith('bye')]
        r.check('script: and not again when the run ends', byes == ['bye 3'], byes)
    finally:
        script.cleanup()


TESTS += [test_script_pause_resume_exit, test_script_close_and_long_sleep, test_script_break,
          test_script_exit_functions, test_script_tray_exit_keeps_writes, test_script_session_end]


def main():
    global ENV
    for path in (DEMO, PROBE):
        if not os.path.exists(path):
            print(f'missing {path}: build the win64 preset first')
            print('host window tests: 0 passed, 1 failed')
            return 1
    ENV = wine_environment()
    results = Results()
    # A demo of an earlier run that is still around would add its own icon and window.
    probe('gone', *HOST, '--timeout', '3000')
    for test in TESTS:
        try:
            test(results)
        except Exception as error:  # one broken test must not hide the others' results
            results.check(test.__name__, False, repr(error))
    print(f'host window tests: {results.passed} passed, {results.failed} failed')
    return 1 if results.failed else 0


if __name__ == '__main__':
    sys.exit(main())
