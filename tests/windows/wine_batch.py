"""What the Windows export tests share: running a batch of calls of
export_batch.exe under Wine, reading the message boxes from Wine's relay trace,
the private spooler's environment, and reporting checks."""
import os
import pathlib
import random
import re
import shutil
import subprocess
import sys
import threading

SKIPPED = 77
TITLE = "Ziv Ovodaz"


class Checks:
    def __init__(self):
        self.failures = 0

    def check(self, ok, text, detail=""):
        print(("ok    " if ok else "FAIL  ") + text + ("" if ok or not detail else f": {detail}"))
        if not ok:
            self.failures += 1

    def equal(self, actual, expected, text):
        self.check(actual == expected, text, f"got {actual!r}, expected {expected!r}")


def skip(reason):
    print(f"SKIP  {reason}")
    sys.exit(SKIPPED)


def random_bytes(size, seed):
    generator = random.Random(seed)
    return bytes(generator.randrange(256) for _ in range(size))


def windows_path(path):
    """The name Wine gives a Unix path: drive Z: is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


class Wine:
    def __init__(self, arguments):
        self.wine = arguments.wine
        self.batch = arguments.batch
        self.work = pathlib.Path(arguments.work) / arguments.part
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)

    def environment(self, extra):
        environment = dict(os.environ)
        # Without a display a message box returns at once; the dialog part
        # brings a display of its own.
        environment.pop("DISPLAY", None)
        environment.pop("WAYLAND_DISPLAY", None)
        environment.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        environment["WINEDEBUG"] = "-all"
        environment.update(extra)
        return environment

    # The Wine services that a program starts inherit its output handles and
    # may outlive it: its output is read until it ends, not until every writer
    # has closed the pipe.

    def trace_message_boxes(self, environment):
        """Wine's relay trace is limited to user32.MessageBoxA (a setting of the prefix)."""
        process = subprocess.Popen([self.wine, "reg", "add", r"HKCU\Software\Wine\Debug", "/v",
                                    "RelayInclude", "/t", "REG_SZ", "/d", "user32.MessageBoxA",
                                    "/f"], env=self.environment(environment),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        process.wait(timeout=300)

    def start(self, calls, environment, relay=False, limits=None):
        """Starts the batch in the work folder; returns the process."""
        calls_file = self.work / "calls.txt"
        calls_file.write_text("".join("\t".join(call) + "\n" for call in calls))
        extra = dict(environment)
        if relay:
            extra["WINEDEBUG"] = "-all,+relay"
        process = subprocess.Popen([self.wine, self.batch, "calls.txt"], cwd=self.work,
                                   env=self.environment(extra), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, preexec_fn=limits)
        process.output = {}
        process.readers = [threading.Thread(target=read_all, args=(stream, process.output, name),
                                            daemon=True)
                           for stream, name in ((process.stdout, "out"), (process.stderr, "err"))]
        for reader in process.readers:
            reader.start()
        return process

    @staticmethod
    def finish(process, expected_count, timeout=600):
        """Waits for the batch; its result lines (fields) and the message boxes shown."""
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        for reader in process.readers:
            reader.join(timeout=5)
        out = b"".join(process.output.get("out", []))
        err = b"".join(process.output.get("err", []))
        return Wine.results(out, process.returncode, expected_count), message_boxes(err)

    def run(self, calls, environment, relay=False, limits=None):
        """Runs the batch; returns its result lines (fields) and the message boxes shown."""
        return self.finish(self.start(calls, environment, relay, limits), len(calls))

    @staticmethod
    def results(out, status, expected_count):
        lines = out.decode("latin-1").replace("\r\n", "\n").splitlines()
        if status != 0 or len(lines) != expected_count:
            print(f"export_batch ended with {status} after {len(lines)} of {expected_count} calls")
        return [line.split("\t") for line in lines] + [[]] * (expected_count - len(lines))


def read_all(stream, output, name):
    """Collects what a stream delivers, chunk by chunk, into output[name]."""
    chunks = output.setdefault(name, [])
    for chunk in iter(lambda: stream.read1(65536), b""):
        chunks.append(chunk)


RELAY_CALL = re.compile(
    r'Call user32\.MessageBoxA\([0-9a-fA-F]+,[0-9a-fA-F]+ "((?:[^"\\]|\\.)*)",'
    r'[0-9a-fA-F]+ "((?:[^"\\]|\\.)*)",([0-9a-fA-F]+)\)')


def unescape(text):
    """Undoes the escapes of Wine's debug strings."""
    escapes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    result, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            if text[i + 1] == "x":
                result.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            result.append(escapes.get(text[i + 1], text[i + 1]))
            i += 2
            continue
        result.append(text[i])
        i += 1
    return "".join(result)


def message_boxes(trace):
    """(text, title, style) of every MessageBoxA call in a relay trace."""
    return [(unescape(m.group(1)), unescape(m.group(2)), int(m.group(3), 16))
            for m in RELAY_CALL.finditer(trace.decode("latin-1"))]


def spooler_environment(state_file):
    """The variables that point CUPS (and Wine's winspool) at the private
    scheduler, whose default queue is made ventus-raw: Wine makes the CUPS
    default its default printer, and without one it picks a queue itself."""
    if not shutil.which("lpadmin"):
        skip("the CUPS commands are not installed")
    folder = pathlib.Path(pathlib.Path(state_file).read_text().strip())
    environment = {}
    for line in (folder / "environment").read_text().splitlines():
        name, _, value = line.partition("=")
        environment[name] = value
    subprocess.run(["lpadmin", "-d", "ventus-raw"], env=dict(os.environ, **environment),
                   check=True, capture_output=True)
    # Wine keeps its own HOME: its prefix is the caller's.
    environment.pop("HOME", None)
    return folder, environment
