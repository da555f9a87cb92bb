"""Reading .cases files: tables of script test cases.

A file holds one behaviour's cases. Lines before the first case are comments.
Each case starts with "=== name" and has sections, each opened by a line
"--- kind [options]":

  --- script [encoding=ansi|utf8|utf8bom|utf16le|utf16be] [eol=lf|crlf|cr] [noeol]
        the script text (the file the case runs)
  --- file NAME [same options]
        another file, relative to the case's folder (for includes)
  --- raw NAME
        a file given as Python bytes-literal text, for bytes no editor keeps
  --- written NAME
        Python bytes-literal text: what the file NAME (relative to the case's
        folder) must hold once the program has ended; the runner checks and
        removes it, so the script may leave it behind
  --- args
        the command line after the program, one line; {script} is the script
        path (default: "{script}")
  --- stdout
        expected standard output, compared byte for byte (ANSI code page)
  --- dialog [title=TEXT] [press=BUTTON]
        expected text of the message box the run shows (default title " Error");
        with no text, only that the window appears; BUTTON is pressed to close it
  --- probe
        winprobe commands run one after another while the script runs, one per line
        (arguments split as a shell would, backslashes kept, "#" only inside quotes,
        e.g. set-text --title T --id 1148 --text 'a b'); each must succeed; for driving
        the windows the script opens
  --- probe-output
        expected standard output of all the probe commands together (without the
        style=, exstyle= and topmost= lines of "dialog")
  --- exit N
        expected exit code (default 0)
  --- only windows|native
  --- exe copy
        run a copy of the executable placed in the case folder (for files
        that must sit beside it)
  --- exe-append
        with "exe copy": Python bytes-literal text appended to the copy
  --- registry-include VALUE
        the include path setting is VALUE while the case runs

In expected texts, {script} and {dir} stand for the script path and the case
folder as the program sees them, {sep} for the path separator, {_} for a space (so trailing blanks survive
editors), {u+XXXX} for any character, {nl} for a line break (trailing blank lines of a section are
dropped, so cases can be spaced apart), and {exe} for the executable's path.
"""
import ast
import re


class Case:
    def __init__(self, source, name):
        self.source = source
        self.name = name
        self.script = None          # (text, options)
        self.files = []             # (name, text or bytes, options)
        self.args = '{script}'
        self.stdout = None
        self.dialog = None
        self.dialog_title = ' Error'
        self.dialog_press = None
        self.exit = 0
        self.only = None
        self.exe_copy = False
        self.registry_include = None
        self.exe_append = b''
        self.probe = []             # winprobe argument lines
        self.probe_output = None
        self.written = []           # (name, bytes)

    @property
    def label(self):
        return f'{self.source}: {self.name}'


def _options(words):
    opts = {}
    for w in words:
        if '=' in w:
            k, v = w.split('=', 1)
            opts[k] = v.strip('"')
        else:
            opts[w] = True
    return opts


def parse(path, relname):
    cases, case, kind, opts, body = [], None, None, {}, []

    def close_section():
        nonlocal kind, body
        if case is None or kind is None:
            kind, body = None, []
            return
        while body and body[-1].strip() == '':
            body.pop()
        text = '\n'.join(body)
        if kind == 'script':
            case.script = (text, opts)
        elif kind == 'file':
            case.files.append((opts['_name'], text, opts))
        elif kind == 'raw':
            case.files.append((opts['_name'], ast.literal_eval(text.strip()), opts))
        elif kind == 'written':
            case.written.append((opts['_name'], ast.literal_eval(text.strip())))
        elif kind == 'exe-append':
            case.exe_append = ast.literal_eval(text.strip())
        elif kind == 'probe':
            case.probe = [line for line in body if line.strip()]
        elif kind == 'probe-output':
            case.probe_output = text + '\n' if body else ''
        elif kind == 'args':
            case.args = text.strip()
        elif kind == 'stdout':
            case.stdout = text + ('' if opts.get('noeol') else '\n') if body else ''
        elif kind == 'dialog':
            case.dialog = text
            if 'title' in opts:
                case.dialog_title = opts['title']
            if 'press' in opts:
                case.dialog_press = opts['press']
        kind, body = None, []

    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    for line in lines:
        if line.startswith('=== '):
            close_section()
            case = Case(relname, line[4:].strip())
            cases.append(case)
            continue
        m = re.match(r'^--- (\S+)(.*)$', line)
        if m and case is not None:
            close_section()
            word, rest = m.group(1), m.group(2).strip()
            if word == 'exit':
                case.exit = int(rest)
            elif word == 'only':
                case.only = rest
            elif word == 'exe':
                case.exe_copy = True
            elif word == 'exe-append':
                kind, opts = word, {}
            elif word == 'registry-include':
                case.registry_include = rest
            elif word in ('file', 'raw', 'written'):
                parts = rest.split()
                kind, opts = word, _options(parts[1:])
                opts['_name'] = parts[0]
            else:
                kind, opts = word, _options(rest.split())
                if word == 'dialog':
                    m2 = re.search(r'title="([^"]*)"', rest)
                    if m2:
                        opts['title'] = m2.group(1)
            continue
        if kind is not None:
            body.append(line)
    close_section()
    return cases


ENCODINGS = {
    'ansi': ('cp1252', b''),
    'utf8': ('utf-8', b''),
    'utf8bom': ('utf-8', b'\xef\xbb\xbf'),
    'utf16le': ('utf-16-le', b'\xff\xfe'),
    'utf16be': ('utf-16-be', b'\xfe\xff'),
}
EOLS = {'lf': '\n', 'crlf': '\r\n', 'cr': '\r'}


def encode_file(text, opts):
    if isinstance(text, bytes):
        return text
    enc, bom = ENCODINGS[opts.get('encoding', 'utf8')]
    eol = EOLS[opts.get('eol', 'crlf')]
    lines = text.split('\n')
    data = eol.join(lines) + ('' if opts.get('noeol') or text == '' else eol)
    return bom + data.encode(enc)
