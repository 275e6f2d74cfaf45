#!/usr/bin/env python3
"""The Wine harness: runs the x86_64 Windows programs under Wine on an Xvfb display.

    wine_harness.py [paths] setup        fresh prefix, Xvfb, persistent wineserver, fake runtimes
    wine_harness.py [paths] scenario N   one scenario; exit status 0 when every check holds
    wine_harness.py [paths] cleanup      stops this run's wineserver and Xvfb
    wine_harness.py [paths] list         the scenario names and time limits, for CTest
    wine_harness.py [paths] screenshots DIR   PNGs of the three launcher boxes and the magnet question

Every scenario runs its program through boxdriver.exe, which answers the boxes, reports them and the
full 32-bit exit code, and ends the program when its time is up, so nothing can hang. The registry is
Wine's own: fixtures are imported with regedit and read back with reg query. Scenarios share the one
prefix and must not run at the same time (CTest gives them one resource lock).
"""

import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

WINE = '/usr/lib/wine/wine64'
WINESERVER = '/usr/lib/wine/wineserver'

LAUNCHER_CAPTION = 'Tarnbeck Launcher Error'
RUNTIME_TEXT = ('Tarnbeck was unable to load the Java Runtime Environment.\n'
                'Please download and install a newer version from https://www.java.com.')
ARGUMENTS_TEXT = ('Tarnbeck failed to parse the commandline arguments to Java.\n'
                  'Please download and install Tarnbeck again.')
VM_ENDED_TEXT = 'Tarnbeck was unable to load.\nPlease download and install Tarnbeck again.'
QUESTION_CAPTION = 'Tarnbeck config'
QUESTION_TEXT = 'Tarnbeck is not your default magnet link handler.  Make it?'

DEFAULT_OPTIONS = [
    '-Xss64k', '-Xms4m', '-Xminf0.10', '-Xmaxf0.25',
    '-Dorg.apache.commons.logging.Log=org.apache.commons.logging.impl.NoOpLog',
]
MAGNET_LINK = 'magnet:?xt=urn:sha1:PLSTHIPQGSSZTS5FJUPAKUZWUGYQYPFB&dn=Sample%20File.txt'

TESTS_C = r'C:\tarnbeck-tests'          # in the prefix: drive_c/tarnbeck-tests
INSTALLED = TESTS_C + r'\installed'     # the InstallDir of fixtures/installed.reg
RUNTIME_HOME = TESTS_C + r'\jre'        # the JavaHome of fixtures/java-runtime.reg

# The keys the launcher reads or writes; a scenario compares them before and after.
WATCHED_KEYS = [r'HKLM\Software\JavaSoft', r'HKLM\Software\Tarnbeck', r'HKLM\Software\Magnet',
                r'HKCR\magnet']
HANDLER_KEY = r'HKLM\Software\Magnet\Handlers\Tarnbeck'
PROTOCOL_KEY = r'HKCR\magnet'


class HarnessError(Exception):
    """The harness itself could not do its work (as opposed to a failed check)."""


class Harness:
    def __init__(self, args):
        self.bin = Path(args.bin).resolve()
        self.helpers = Path(args.helpers).resolve()
        self.fixtures = Path(args.fixtures).resolve()
        self.work = Path(args.work).resolve()
        self.prefix = self.work / 'prefix'
        self.state_file = self.work / 'state.json'
        self.tests_dir = self.prefix / 'drive_c' / 'tarnbeck-tests'
        self.state = None

    # --- processes --------------------------------------------------------------------------

    def env(self):
        env = dict(os.environ)
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG='-all',
                   WINEDLLOVERRIDES='mscoree,mshtml=')
        if self.state is not None:
            env['DISPLAY'] = ':%d' % self.state['display']
        return env

    def run(self, argv, timeout, stdout=None, stderr=None, check=True):
        """Runs a Unix command with a bound; output goes to files, never to pipes, because Wine's
        long-lived processes would hold a pipe open after the command ends."""
        log = self.work / 'harness-commands.log'
        out = open(stdout, 'wb') if stdout else open(log, 'ab')
        err = open(stderr, 'wb') if stderr else out
        try:
            process = subprocess.Popen(argv, env=self.env(), stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err)
            try:
                code = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout=10)
                raise HarnessError('%s did not end within %d s' % (' '.join(argv), timeout))
        finally:
            out.close()
            if err is not out:
                err.close()
        if check and code != 0:
            raise HarnessError('%s ended with %d (see %s)' % (' '.join(argv), code,
                                                              stderr or stdout or log))
        return code

    def wine(self, args, timeout=60, **kwargs):
        return self.run([WINE] + args, timeout, **kwargs)

    @staticmethod
    def windows_path(path):
        """The Z: form Wine gives a Unix path."""
        return 'Z:' + str(path).replace('/', '\\')

    def in_prefix(self, windows_path):
        """The Unix path of a C:\\tarnbeck-tests path inside the prefix."""
        relative = windows_path[len(TESTS_C):].lstrip('\\')
        return self.tests_dir.joinpath(*[p for p in relative.split('\\') if p])

    # --- fixture: setup and cleanup -----------------------------------------------------------

    def setup(self):
        for tool in (WINE, WINESERVER, shutil.which('Xvfb')):
            if tool is None or not os.access(tool, os.X_OK):
                raise HarnessError('wine64 and xvfb are needed: run scripts/setup-machine.sh')
        if self.state_file.exists():
            self.cleanup()
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        self.work.mkdir(parents=True, exist_ok=True)
        (self.work / 'harness-commands.log').unlink(missing_ok=True)
        shutil.rmtree(self.work / 'runs', ignore_errors=True)

        display, xvfb_pid = start_xvfb(self.work / 'xvfb.log')
        self.state = {'display': display, 'xvfb_pid': xvfb_pid}
        self.state_file.write_text(json.dumps(self.state))

        # wineboot creates the prefix and leaves a desktop running that was made before our settings
        # existed; everything it left is ended so that the next program gets the virtual desktop.
        self.prefix.mkdir(parents=True)
        started = time.monotonic()
        self.wine(['wineboot', '-i'], timeout=240)
        self.import_registry('wine-virtual-desktop.reg')
        self.run([WINESERVER, '-k'], timeout=60, check=False)
        self.run([WINESERVER, '-w'], timeout=60, check=False)
        print('prefix created in %.1f s' % (time.monotonic() - started))
        # A persistent server keeps every later wine start quick; it ends with `wineserver -k`.
        subprocess.Popen([WINESERVER, '-p'], env=self.env(), stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         start_new_session=True)
        self.lay_runtimes()
        # Wine closes its desktop a moment after the last program attached to it ends, and a program
        # that starts meanwhile waits seconds for a new one: a holder keeps it open for the whole
        # run (wineserver -k ends it with everything else).
        subprocess.Popen([WINE, str(self.helpers / 'childproc.exe'), 'hold', '7200000'], env=self.env(),
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, start_new_session=True)
        # The first window brings the desktop up, which takes seconds; pay for that here, once.
        warm_up = self.drive('warm-up', '"%s" box' % self.windows_path(self.helpers / 'childproc.exe'))
        if warm_up.exit_code != 0 or len(warm_up.boxes) != 1:
            raise HarnessError('a first program did not run in the new prefix (see %s)' % warm_up.dir)

    def cleanup(self):
        if self.state_file.exists():
            self.state = json.loads(self.state_file.read_text())
        if self.prefix.exists():
            self.run([WINESERVER, '-k'], timeout=60, check=False)
            self.run([WINESERVER, '-w'], timeout=60, check=False)
        if self.state is not None:
            stop_xvfb(self.state['xvfb_pid'])
        self.state_file.unlink(missing_ok=True)

    def load_state(self):
        if not self.state_file.exists():
            raise HarnessError('no Wine prefix is running: run the wine.setup fixture first')
        self.state = json.loads(self.state_file.read_text())

    def lay_runtimes(self):
        """Three runtime homes: the double, one without its jvm.dll, one lacking an entry point."""
        homes = {
            'jre': self.helpers / 'jvm.dll',
            'jre-without-jvm-dll': None,
            'jre-partial-jvm-dll': self.helpers / 'partial' / 'jvm.dll',
        }
        for name, library in homes.items():
            home = self.tests_dir / name
            (home / 'lib').mkdir(parents=True, exist_ok=True)
            (home / 'lib' / 'jvm.cfg').write_bytes(b'# the test double\r\n-server KNOWN\r\n')
            if library is not None:
                (home / 'bin' / 'server').mkdir(parents=True, exist_ok=True)
                shutil.copy2(library, home / 'bin' / 'server' / 'jvm.dll')

    # --- registry ---------------------------------------------------------------------------

    def import_registry(self, *fixtures):
        for fixture in fixtures:
            self.wine(['regedit', '/S', self.windows_path(self.fixtures / fixture)])

    def query_key(self, key):
        """reg query KEY /s as {key path: {value name: (type, data)}}, or None for a missing key."""
        output = self.work / 'reg-query.txt'
        code = self.wine(['reg', 'query', key, '/s'], stdout=output, check=False)
        if code != 0:
            return None
        keys = {}
        current = None
        for raw in output.read_bytes().decode('latin-1').split('\r\n'):
            if raw.startswith('HKEY_'):
                current = keys.setdefault(raw, {})
            elif raw.startswith('    ') and current is not None:
                parts = raw[4:].split('    ', 2)
                while len(parts) < 3:
                    parts.append('')
                current[parts[0]] = (parts[1], parts[2])
        # reg query leaves out the queried key's own line when it holds no value.
        keys.setdefault(long_key_name(key), {})
        return keys

    def snapshot(self):
        return {key: self.query_key(key) for key in WATCHED_KEYS}

    def add_value(self, key, name, data):
        self.wine(['reg', 'add', key, '/v', name, '/d', data, '/f'])

    # --- installs and runs ------------------------------------------------------------------

    def install(self, folder, launch_properties=None, jvm_script=None, program='Tarnbeck.exe'):
        """A launcher folder: the program, an empty Tarnbeck.jar (the double opens it by its relative
        name), and optionally launch.properties and the double's script."""
        path = self.in_prefix(folder)
        if path.exists():
            shutil.rmtree(path)
        path.mkdir(parents=True)
        shutil.copy2(self.bin / program, path / program)
        (path / 'Tarnbeck.jar').write_bytes(b'')
        if launch_properties is not None:
            (path / 'launch.properties').write_bytes(launch_properties)
        if jvm_script is not None:
            (path / 'jvm-script.txt').write_text(jvm_script)
        return path

    def drive(self, run_name, command_line, answers=(), timeout_ms=30000, hold_ms=0,
              pidfile=None, background=False):
        """Runs one command line under the box driver. Returns a Run (or, with background, the
        driver's process and the Run to fill with finish())."""
        run_dir = self.work / 'runs' / run_name
        if run_dir.exists():
            shutil.rmtree(run_dir)
        run_dir.mkdir(parents=True)
        (run_dir / 'command.txt').write_bytes(command_line.encode('latin-1'))
        argv = [WINE, str(self.helpers / 'boxdriver.exe'),
                '--command-file', self.windows_path(run_dir / 'command.txt'),
                '--log', self.windows_path(run_dir / 'boxes.jsonl'),
                '--timeout', str(timeout_ms), '--hold', str(hold_ms)]
        if answers:
            argv += ['--answers', ','.join(answers)]
        if pidfile:
            argv += ['--pidfile', pidfile]
        run = Run(run_dir)
        if background:
            out = open(run_dir / 'stdout.txt', 'wb')
            err = open(run_dir / 'stderr.txt', 'wb')
            process = subprocess.Popen(argv, env=self.env(), stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err)
            out.close()
            err.close()
            return process, run
        self.run(argv, timeout=timeout_ms // 1000 + 30, stdout=run_dir / 'stdout.txt',
                 stderr=run_dir / 'stderr.txt', check=False)
        run.read()
        return run

    def launch(self, run_name, folder, arguments='', answers=(), **kwargs):
        """Starts the launcher in `folder` the way the shell does: its quoted path, then arguments.
        The double's record of an earlier run is removed first."""
        install = self.in_prefix(folder)
        (install / 'jvm-record.txt').unlink(missing_ok=True)
        command = '"%s\\Tarnbeck.exe"' % folder + (' ' + arguments if arguments else '')
        run = self.drive(run_name, command, answers, **kwargs)
        record = install / 'jvm-record.txt'
        run.record = record.read_text('latin-1').splitlines() if record.exists() else None
        return run


class Run:
    """What one driven run left: the boxes, the exit code, standard error, the double's record."""

    def __init__(self, run_dir):
        self.dir = run_dir
        self.boxes = []
        self.exit_code = None
        self.ms = None
        self.timed_out = False
        self.pidfile_state = None
        self.stderr = ''
        self.record = None

    def read(self):
        log = self.dir / 'boxes.jsonl'
        lines = log.read_bytes().decode('latin-1').splitlines() if log.exists() else []
        for line in lines:
            entry = json.loads(line)
            event = entry.get('event')
            if event is None:
                self.boxes.append(entry)
            elif event == 'exit':
                self.exit_code, self.ms = entry['code'], entry['ms']
            elif event == 'timeout':
                self.timed_out, self.ms = True, entry['ms']
            elif event == 'pidfile':
                self.pidfile_state = entry['state']
            elif event == 'create-failed':
                raise HarnessError('the box driver could not start %s (error %d)'
                                   % ((self.dir / 'command.txt').read_text(), entry['error']))
        stderr = self.dir / 'stderr.txt'
        self.stderr = stderr.read_bytes().decode('latin-1') if stderr.exists() else ''


class Checks:
    """Collects failed checks with what was expected and what came, so one run shows them all."""

    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.failures.append('%s:\n    expected %r\n    actual   %r' % (what, expected, actual))

    def true(self, what, condition, detail=''):
        if not condition:
            self.failures.append('%s%s' % (what, (': ' + detail) if detail else ''))

    def run_ended(self, run, code, boxes):
        """The exit code (all 32 bits) and the boxes, caption, text, buttons and answer byte for byte."""
        self.true('the program ended within its time', not run.timed_out,
                  'the box driver ended it after %s ms' % run.ms)
        self.equal('exit code', run.exit_code, code & 0xFFFFFFFF)
        shown = [{key: box.get(key) for key in ('caption', 'text', 'buttons', 'answer')}
                 for box in run.boxes]
        self.equal('boxes shown', shown, boxes)


def long_key_name(key):
    root, _, rest = key.partition('\\')
    root = {'HKLM': 'HKEY_LOCAL_MACHINE', 'HKCR': 'HKEY_CLASSES_ROOT',
            'HKCU': 'HKEY_CURRENT_USER'}.get(root, root)
    return root + ('\\' + rest if rest else '')


def launcher_box(text):
    return {'caption': LAUNCHER_CAPTION, 'text': text, 'buttons': 'OK', 'answer': 'ok'}


def question_box(answer):
    return {'caption': QUESTION_CAPTION, 'text': QUESTION_TEXT, 'buttons': 'YESNO',
            'answer': answer}


def options_of(record):
    return [line[len('option '):] for line in record if line.startswith('option ')]


def vm_calls(record):
    """The record without the init arguments and PATH: what the launcher did once the VM existed."""
    return [line for line in record if not line.startswith(('option ', 'PATH ', 'create version'))]


def expected_registration(install_dir):
    """The handler key and the protocol key as a registration for install_dir leaves them."""
    icon = '"%s\\Tarnbeck.ico",-128' % install_dir
    handler = long_key_name(HANDLER_KEY)
    protocol = long_key_name(PROTOCOL_KEY)
    return {
        HANDLER_KEY: {
            handler: {
                '(Default)': ('REG_SZ', 'Tarnbeck Peer to Peer'),
                'Description': ('REG_SZ', 'Tarnbeck is the best P2P client.'),
                'DefaultIcon': ('REG_SZ', icon),
                'ShellExecute': ('REG_SZ', '"%s\\Tarnbeck.exe" "%%URL"' % install_dir),
                'kt': ('REG_DWORD', '0x0'),
            },
            handler + '\\Type': {'urn:sha1': ('REG_DWORD', '0x0')},
        },
        PROTOCOL_KEY: {
            protocol: {
                '(Default)': ('REG_SZ', 'URL:MagNet Protocol'),
                'URL Protocol': ('REG_SZ', ''),
            },
            protocol + '\\DefaultIcon': {'(Default)': ('REG_SZ', icon)},
            protocol + '\\shell': {},
            protocol + '\\shell\\open': {},
            protocol + '\\shell\\open\\command': {
                '(Default)': ('REG_SZ', '"%s\\Tarnbeck.exe" "%%L"' % install_dir),
            },
        },
    }


# --- scenarios ------------------------------------------------------------------------------
# Each takes the harness and a Checks and returns nothing; SCENARIOS names them and their limits.

def plain_launch(h, c, name, runtime='java-runtime.reg', arguments='', **install):
    """Starts the launcher from a folder of its own with no install folder recorded, so that the
    registration has nothing to do: the watched keys must be the same afterwards."""
    h.import_registry(runtime, 'not-installed.reg')
    folder = TESTS_C + '\\' + name
    h.install(folder, **install)
    before = h.snapshot()
    run = h.launch(name, folder, arguments)
    c.equal('registry afterwards', h.snapshot(), before)
    return run


def main_arguments(record):
    return [line for line in record if line.startswith(('main-args', 'arg '))]


def no_runtime_key(h, c):
    run = plain_launch(h, c, 'no-runtime-key', runtime='no-java-runtime.reg')
    c.run_ended(run, 10, [launcher_box(RUNTIME_TEXT)])
    c.equal('record of the runtime double', run.record, None)


def runtime_without_jvm_dll(h, c):
    run = plain_launch(h, c, 'runtime-without-jvm-dll', runtime='java-runtime-without-jvm-dll.reg')
    c.run_ended(run, 10, [launcher_box(RUNTIME_TEXT)])


def jvm_dll_lacking_entry_point(h, c):
    run = plain_launch(h, c, 'jvm-dll-lacking-entry-point', runtime='java-runtime-partial-jvm-dll.reg')
    c.run_ended(run, 6, [launcher_box(RUNTIME_TEXT)])
    c.equal('calls into the refused jvm.dll', run.record, None)


def class_path_option_last(h, c):
    run = plain_launch(h, c, 'class-path-option-last', launch_properties=b'-Xms4m\r\n-cp\r\n')
    c.run_ended(run, 7, [launcher_box(ARGUMENTS_TEXT)])
    c.equal('record of the runtime double (no VM may be created)', run.record, None)


def vm_creation_refused(h, c):
    run = plain_launch(h, c, 'vm-creation-refused', jvm_script='create refuse\n')
    c.run_ended(run, 8, [launcher_box(RUNTIME_TEXT)])
    c.equal('after the refused creation', vm_calls(run.record or []), ['create refused'])


def main_returns(h, c):
    """The default launch lines reach the VM in order, PATH starts with the runtime's bin folder,
    main runs with no arguments, and the VM is torn down after the thread detached."""
    run = plain_launch(h, c, 'main-returns')
    c.run_ended(run, 9, [launcher_box(VM_ENDED_TEXT)])
    record = run.record or []
    c.equal('init arguments', record[:1], ['create version 0x10002 ignoreUnrecognized 0'])
    c.equal('options', options_of(record),
            DEFAULT_OPTIONS + ['-Djava.class.path=Tarnbeck.jar', '-Dsun.java.command=Tarnbeck.jar'])
    path = [line for line in record if line.startswith('PATH ')]
    c.true('PATH begins with the runtime\'s bin folder',
           len(path) == 1 and path[0].startswith('PATH %s\\bin;' % RUNTIME_HOME), repr(path))
    c.equal('calls once the VM existed', vm_calls(record),
            ['jar Tarnbeck.jar', 'find-class app/Main', 'main-args 0', 'detach', 'destroy'])


def main_exits_42(h, c):
    run = plain_launch(h, c, 'main-exits-42', jvm_script='main exit 42\n')
    c.run_ended(run, 42, [])
    c.equal('calls once the VM existed', vm_calls(run.record or []),
            ['jar Tarnbeck.jar', 'find-class app/Main', 'main-args 0', 'main exits with 42'])


def main_throws(h, c):
    run = plain_launch(h, c, 'main-throws', jvm_script='main throw\n')
    c.run_ended(run, 9, [launcher_box(VM_ENDED_TEXT)])
    c.equal('calls once the VM existed', vm_calls(run.record or []),
            ['jar Tarnbeck.jar', 'find-class app/Main', 'main-args 0',
             'describe java.lang.IllegalStateException: thrown by main', 'destroy'])
    # Standard error is a text-mode stream of the C runtime: the line ends in CR LF.
    c.true('the exception reached standard error',
           'Exception in thread "main" java.lang.IllegalStateException: thrown by main\r\n'
           in run.stderr, repr(run.stderr))


def main_class_missing(h, c):
    run = plain_launch(h, c, 'main-class-missing',
                       jvm_script='main-class org.example.Missing\nclass missing\n')
    c.run_ended(run, 9, [launcher_box(VM_ENDED_TEXT)])
    c.equal('calls once the VM existed', vm_calls(run.record or []),
            ['jar Tarnbeck.jar', 'find-class org/example/Missing (not found)',
             'describe java.lang.NoClassDefFoundError: org/example/Missing', 'destroy'])


def magnet_link_options(h, c):
    """A magnet: link as the shell passes it: after the default launch lines, an application
    argument, in sun.java.command and as main's only argument."""
    run = plain_launch(h, c, 'magnet-link-options', arguments='"%s"' % MAGNET_LINK,
                       jvm_script='main exit 0\n')
    c.run_ended(run, 0, [])
    record = run.record or []
    c.equal('options', options_of(record),
            DEFAULT_OPTIONS + ['-Djava.class.path=Tarnbeck.jar',
                               '-Dsun.java.command=Tarnbeck.jar ' + MAGNET_LINK])
    c.equal('main\'s arguments', main_arguments(record), ['main-args 1', 'arg ' + MAGNET_LINK])


def launch_properties_file(h, c):
    """launch.properties written on Windows (CR LF): no carriage return reaches an option, blanks
    stay, and lines after the jar's name come before the command line's arguments."""
    run = plain_launch(h, c, 'launch-properties-file', arguments='"%s"' % MAGNET_LINK,
                       jvm_script='main exit 0\n',
                       launch_properties=b'-Xmx64m\r\n-Dtarnbeck.home=C:\\Program Files\\Tarnbeck \r\n'
                                         b'-jar\r\nTarnbeck.jar\r\n-fromfile\r\n')
    c.run_ended(run, 0, [])
    record = run.record or []
    c.equal('options', options_of(record),
            ['-Xmx64m', '-Dtarnbeck.home=C:\\Program Files\\Tarnbeck ',
             '-Djava.class.path=Tarnbeck.jar',
             '-Dsun.java.command=Tarnbeck.jar -fromfile ' + MAGNET_LINK])
    c.equal('main\'s arguments', main_arguments(record),
            ['main-args 2', 'arg -fromfile', 'arg ' + MAGNET_LINK])


def install_for_magnet(h, *extra_fixtures):
    h.import_registry('java-runtime.reg', 'installed.reg', *extra_fixtures)
    h.install(INSTALLED, jvm_script='main exit 0\n')


def magnet_first_start(h, c):
    install_for_magnet(h)
    run = h.launch('magnet-first-start', INSTALLED, '"%s"' % MAGNET_LINK)
    c.run_ended(run, 0, [])
    c.true('the link reached main', 'arg ' + MAGNET_LINK in (run.record or []), repr(run.record))
    expected = expected_registration(INSTALLED)
    c.equal('handler key (reg query)', h.query_key(HANDLER_KEY), expected[HANDLER_KEY])
    c.equal('protocol key (reg query)', h.query_key(PROTOCOL_KEY), expected[PROTOCOL_KEY])


def magnet_second_start(h, c):
    """A second start writes nothing: values added after the first start survive it, which they
    would not if either key had been rebuilt."""
    install_for_magnet(h)
    first = h.launch('magnet-second-start-1', INSTALLED)
    c.run_ended(first, 0, [])
    h.add_value(HANDLER_KEY, 'Marker', 'left alone')
    h.add_value(PROTOCOL_KEY, 'Marker', 'left alone')
    before = h.snapshot()
    second = h.launch('magnet-second-start-2', INSTALLED, '"%s"' % MAGNET_LINK)
    c.run_ended(second, 0, [])
    c.equal('registry after the second start', h.snapshot(), before)


def magnet_other_program(h, c):
    """Another program holds the protocol: No leaves it alone (the handler list is still written),
    Yes takes the protocol key over as a whole."""
    install_for_magnet(h, 'other-magnet-handler.reg')
    other = h.query_key(PROTOCOL_KEY)
    expected = expected_registration(INSTALLED)

    no = h.launch('magnet-other-program-no', INSTALLED, '"%s"' % MAGNET_LINK, answers=['NO'])
    c.run_ended(no, 0, [question_box('no')])
    c.equal('protocol key after No', h.query_key(PROTOCOL_KEY), other)
    c.equal('handler key after No', h.query_key(HANDLER_KEY), expected[HANDLER_KEY])

    yes = h.launch('magnet-other-program-yes', INSTALLED, '"%s"' % MAGNET_LINK, answers=['YES'])
    c.run_ended(yes, 0, [question_box('yes')])
    c.equal('protocol key after Yes', h.query_key(PROTOCOL_KEY), expected[PROTOCOL_KEY])
    c.equal('handler key after Yes', h.query_key(HANDLER_KEY), expected[HANDLER_KEY])


PROBE_FOLDER = TESTS_C + r'\probe'


def install_probe(h):
    path = h.in_prefix(PROBE_FOLDER)
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    shutil.copy2(h.bin / 'exitprobe.exe', path / 'exitprobe.exe')
    shutil.copy2(h.helpers / 'childproc.exe', path / 'childproc.exe')
    return path


def probe_exit_codes(h, c):
    install_probe(h)
    probe = '"%s\\exitprobe.exe"' % PROBE_FOLDER
    child = PROBE_FOLDER + '\\childproc.exe'
    cases = [
        ('child ends with 0', probe + ' ' + child + ' exit 0', 0),
        ('child ends with 3', probe + ' ' + child + ' exit 3', 3),
        ('child ends with 0x7FFFFFFF', probe + ' \t ' + child + ' exit 2147483647', 0x7FFFFFFF),
        ('missing program', probe + ' ' + PROBE_FOLDER + '\\missing.exe', 255),
        ('no command', probe + '   ', 255),
    ]
    for index, (name, command, code) in enumerate(cases):
        run = h.drive('probe-exit-codes-%d' % index, command, timeout_ms=30000)
        checks = Checks()
        checks.run_ended(run, code, [])
        c.failures += ['%s: %s' % (name, failure) for failure in checks.failures]


def probe_child_outlives_wait(h, c):
    path = install_probe(h)
    pidfile = PROBE_FOLDER + '\\child.pid'
    (path / 'child.pid').unlink(missing_ok=True)
    command = '"%s\\exitprobe.exe" %s\\childproc.exe sleep 40000 %s' % (PROBE_FOLDER, PROBE_FOLDER,
                                                                       pidfile)
    run = h.drive('probe-child-outlives-wait', command, timeout_ms=35000, pidfile=pidfile)
    c.run_ended(run, -1, [])
    # A loaded machine may take a few seconds to start the probe and its child under Wine.
    c.true('the probe waited 20 s', run.ms is not None and 19900 <= run.ms <= 25000,
           'it ended after %s ms' % run.ms)
    c.equal('the child after the probe ended', run.pidfile_state, 'running')


SCENARIOS = {
    'no-runtime-key': (no_runtime_key, 60),
    'runtime-without-jvm-dll': (runtime_without_jvm_dll, 60),
    'jvm-dll-lacking-entry-point': (jvm_dll_lacking_entry_point, 60),
    'class-path-option-last': (class_path_option_last, 60),
    'vm-creation-refused': (vm_creation_refused, 60),
    'main-returns': (main_returns, 60),
    'main-exits-42': (main_exits_42, 60),
    'main-throws': (main_throws, 60),
    'main-class-missing': (main_class_missing, 60),
    'magnet-link-options': (magnet_link_options, 60),
    'launch-properties-file': (launch_properties_file, 60),
    'magnet-first-start': (magnet_first_start, 60),
    'magnet-second-start': (magnet_second_start, 90),
    'magnet-other-program': (magnet_other_program, 90),
    'probe-exit-codes': (probe_exit_codes, 120),
    'probe-child-outlives-wait': (probe_child_outlives_wait, 90),
}


# --- screenshots ----------------------------------------------------------------------------

def screenshots(h, out_dir):
    """Holds each box on screen, grabs the Xvfb root window and crops it to the box."""
    out_dir = Path(out_dir).resolve()
    out_dir.mkdir(parents=True, exist_ok=True)
    shots = [
        ('launcher-box-runtime.png', ['no-java-runtime.reg', 'not-installed.reg'], None, None, []),
        ('launcher-box-arguments.png', ['java-runtime.reg', 'not-installed.reg'], None,
         b'-cp\r\n', []),
        ('launcher-box-vm-ended.png', ['java-runtime.reg', 'not-installed.reg'], None, None, []),
        ('magnet-question.png', ['java-runtime.reg', 'installed.reg', 'other-magnet-handler.reg'],
         INSTALLED, None, ['NO']),
    ]
    for name, fixtures, folder, properties, answers in shots:
        h.import_registry(*fixtures)
        folder = folder or TESTS_C + '\\shot'
        h.install(folder, launch_properties=properties,
                  jvm_script='main exit 0\n' if answers else None)
        command = '"%s\\Tarnbeck.exe"' % folder
        process, run = h.drive('shot-' + name, command, answers, hold_ms=4000, background=True)
        box = wait_for_first_box(run.dir / 'boxes.jsonl', process)
        time.sleep(0.8)
        raw = run.dir / 'screen.xwd'
        with open(raw, 'wb') as grab:
            subprocess.run(['xwd', '-root', '-silent', '-display', ':%d' % h.state['display']],
                           stdout=grab, check=True, timeout=30)
        left, top, right, bottom = box['rect']
        margin = 16
        crop = '%dx%d+%d+%d' % (right - left + 2 * margin, bottom - top + 2 * margin,
                                max(left - margin, 0), max(top - margin, 0))
        subprocess.run(['convert', 'xwd:' + str(raw), '-crop', crop, '+repage',
                        str(out_dir / name)], check=True, timeout=60)
        process.wait(timeout=60)
        print('%s: %s' % (name, box['caption']))


def wait_for_first_box(log, process, limit=60):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if log.exists():
            for line in log.read_text('latin-1').splitlines():
                entry = json.loads(line)
                if 'caption' in entry:
                    return entry
        if process.poll() is not None:
            raise HarnessError('the program ended without showing a box (see %s)' % log)
        time.sleep(0.1)
    process.kill()
    raise HarnessError('no box appeared within %d s' % limit)


# --- Xvfb -----------------------------------------------------------------------------------

def start_xvfb(log_path):
    """Starts Xvfb on a display it picks itself (-displayfd), so parallel runs never collide."""
    read_end, write_end = os.pipe()
    with open(log_path, 'wb') as log:
        process = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-nolisten', 'tcp',
                                    '-screen', '0', '1024x768x24'], pass_fds=(write_end,),
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True)
    os.close(write_end)
    data = b''
    deadline = time.monotonic() + 30
    while not data.endswith(b'\n') and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], 1)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            data += chunk
    os.close(read_end)
    if not data.strip().isdigit():
        process.kill()
        raise HarnessError('Xvfb did not start (see %s)' % log_path)
    return int(data), process.pid


def stop_xvfb(pid):
    try:
        cmdline = Path('/proc/%d/cmdline' % pid).read_bytes()
    except OSError:
        return
    if b'Xvfb' not in cmdline:
        return  # the id has gone to another process since
    os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + 10
    while Path('/proc/%d' % pid).exists() and time.monotonic() < deadline:
        try:
            os.waitpid(pid, os.WNOHANG)
        except ChildProcessError:
            pass
        time.sleep(0.1)
    if Path('/proc/%d' % pid).exists():
        os.kill(pid, signal.SIGKILL)


# --- command line ---------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--bin', required=True, help='folder of Tarnbeck.exe and exitprobe.exe')
    parser.add_argument('--helpers', required=True, help='folder of jvm.dll, boxdriver.exe, ...')
    parser.add_argument('--fixtures', required=True, help='folder of the .reg fixtures')
    parser.add_argument('--work', required=True, help='folder for the prefix and the run logs')
    parser.add_argument('command', choices=['setup', 'cleanup', 'scenario', 'list', 'screenshots'])
    parser.add_argument('name', nargs='?')
    args = parser.parse_args()
    harness = Harness(args)

    if args.command == 'list':
        for name, (_, limit) in SCENARIOS.items():
            print('%s %d' % (name, limit))
        return 0
    try:
        if args.command == 'setup':
            harness.setup()
            return 0
        if args.command == 'cleanup':
            harness.cleanup()
            return 0
        harness.load_state()
        if args.command == 'screenshots':
            screenshots(harness, args.name or 'docs')
            return 0
        if args.name not in SCENARIOS:
            print('unknown scenario %r' % args.name)
            return 2
        checks = Checks()
        started = time.monotonic()
        SCENARIOS[args.name][0](harness, checks)
        print('%s: %d failed check(s) in %.1f s; run logs in %s' % (
            args.name, len(checks.failures), time.monotonic() - started, harness.work / 'runs'))
        for failure in checks.failures:
            print('FAILED ' + failure)
        return 1 if checks.failures else 0
    except (HarnessError, OSError) as error:
        print('harness error: %s' % error)
        return 1


if __name__ == '__main__':
    sys.exit(main())
