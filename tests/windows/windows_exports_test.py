#!/usr/bin/env python3
"""The Windows-only exports of VENTUS, run for real under Wine.

    windows_exports_test.py spooler  --wine W --batch EXE --work DIR --spooler-state FILE
    windows_exports_test.py dialog   --wine W --batch EXE --work DIR --spooler-state FILE
                                     --screenshots DIR
    windows_exports_test.py database --wine W --batch EXE --work DIR --postgres-state FILE
                                     --odbc-folder DIR --datalength SO

Each part writes a batch of calls for export_batch.exe, runs it under Wine once
(the Wine prefix is the caller's WINEPREFIX) and checks every call's result and
its effects from outside Wine:

- spooler: PrintFile by queue name through Wine's winspool to the private CUPS
  scheduler (the bytes that reach its AppSocket listener), to an output file
  named absolutely and relatively, and its failures; DefaultPrinter against
  the scheduler's default queue, and SetupDialog asked for that printer
  without a dialog; the text of every message box, read from Wine's relay
  trace of user32.MessageBoxA.
- dialog: SetupDialog under Xvfb, driven with xdotool: OK after changing copies
  and pages, then Cancel; a screenshot of each state is kept.
- database: LoadBin, SaveBin and EqualBin through Wine's odbc32 and the host's
  unixODBC on SQLite and PostgreSQL, every result code, the stored bytes read
  back with sqlite3 and psql.

Prints one line per check; exit code 0 when all passed, 1 when any failed, 77
when a program the part needs is missing (CTest reports a skip).
"""
import argparse
import os
import pathlib
import random
import re
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

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


# ---------------------------------------------------------------------------
# The spooler

def fixture_environment(state_file):
    """The variables that point CUPS (and Wine's winspool) at the private scheduler."""
    folder = pathlib.Path(pathlib.Path(state_file).read_text().strip())
    environment = {}
    for line in (folder / "environment").read_text().splitlines():
        name, _, value = line.partition("=")
        environment[name] = value
    # Wine keeps its own HOME: its prefix is the caller's.
    environment.pop("HOME", None)
    return folder, environment


def received_files(folder):
    return sorted((folder / "received").glob("*.bin"))


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def spooler_part(arguments, checks):
    if not shutil.which("lpadmin"):
        skip("the CUPS commands are not installed")
    wine = Wine(arguments)
    folder, environment = fixture_environment(arguments.spooler_state)
    cups = dict(os.environ, **environment)
    # The scheduler's default queue is the one Wine makes the default printer.
    subprocess.run(["lpadmin", "-d", "ventus-raw"], env=cups, check=True, capture_output=True)
    wine.trace_message_boxes(environment)

    sizes = [0, 4096, 4097, 300000]
    for size in sizes:
        (wine.work / f"file-{size}.prn").write_bytes(random_bytes(size, size))
    to_file = random_bytes(9000, 5)
    (wine.work / "to-file.prn").write_bytes(to_file)
    absolute_output = wine.work / "printed-absolute.prn"
    missing_folder_output = windows_path(wine.work / "no-folder" / "printed.prn")
    # The print dialog asked for the default printer only shows nothing.
    calls = [["DefaultPrinter"],
             ["SetupDialog", "2", "1", "5", str(PD_RETURNDEFAULT | PD_RETURNDC)]]
    calls += [["PrintFile", "ventus-raw", r"\N", f"file-{size}.prn"] for size in sizes]
    calls += [
        ["PrintFile", "ventus-raw", windows_path(absolute_output), "to-file.prn"],
        ["PrintFile", "ventus-raw", "printed-relative.prn", "to-file.prn"],
        ["PrintFile", "ventus-nosuch", r"\N", "to-file.prn"],
        ["PrintFile", "ventus-raw", r"\N", "missing.prn"],
        ["PrintFile", "ventus-raw", missing_folder_output, "to-file.prn"],
    ]
    received_before = len(received_files(folder))
    results, boxes = wine.run(calls, environment, relay=True)

    default = results[0]
    checks.equal(default[:2], ["DefaultPrinter", "1"], "DefaultPrinter returns 1")
    checks.equal(default[2:3], ["ventus-raw"], "DefaultPrinter: the scheduler's default queue")
    checks.check(len(default) == 5 and "ventus-raw" in default[4],
                 "DefaultPrinter: the queue's port", repr(default))

    default_dialog = results[1]
    checks.equal(default_dialog[1:3], ["1", "ventus-raw"],
                 "SetupDialog for the default printer returns 1 and its name")
    checks.check(len(default_dialog) == 10 and "ventus-raw" in default_dialog[4]
                 and default_dialog[9] == "dc",
                 "SetupDialog for the default printer: its port and a device context",
                 repr(default_dialog))

    printed = results[2:2 + len(sizes)]
    checks.equal([r[1:] for r in printed], [["1"]] * len(sizes),
                 f"PrintFile to ventus-raw of {sizes} bytes returns 1 each")
    # Each job with bytes reaches the listener as one connection, in order.
    expected = [random_bytes(size, size) for size in sizes if size > 0]
    wait_for(lambda: len(received_files(folder)) >= received_before + len(expected), 30)
    arrived = [f.read_bytes() for f in received_files(folder)[received_before:]]
    arrived = [data for data in arrived if data]  # an empty job may or may not connect
    checks.equal([len(a) for a in arrived], [len(e) for e in expected],
                 "PrintFile: the sizes that reached the printer")
    checks.check(arrived == expected, "PrintFile: every byte reached the printer unchanged")

    absolute, relative, unknown, missing, no_folder = results[2 + len(sizes):]
    checks.equal(absolute[1:], ["1"], "PrintFile into an output file named absolutely returns 1")
    checks.check(absolute_output.exists() and absolute_output.read_bytes() == to_file,
                 "PrintFile: the absolute output file holds the bytes")
    checks.equal(relative[1:], ["1"], "PrintFile into an output file named relatively returns 1")
    relative_output = wine.work / "printed-relative.prn"
    checks.check(relative_output.exists() and relative_output.read_bytes() == to_file,
                 "PrintFile: the relative output file, in the current folder, holds the bytes")
    checks.equal(unknown[1:], ["0"], "PrintFile to an unknown printer returns 0")
    checks.equal(missing[1:], ["0"], "PrintFile of a missing file returns 0")
    checks.equal(no_folder[1:], ["0"], "PrintFile into a folder that does not exist returns 0")
    # The calls that failed or wrote to a file made no job: nothing more arrived.
    time.sleep(1)
    late = [f.read_bytes() for f in received_files(folder)[received_before:]]
    checks.equal(len([data for data in late if data]), len(expected),
                 "PrintFile: only the jobs of the printer's own port reached it")

    # The message boxes, in the order of the calls: text, title, one OK button.
    checks.check(all(title == TITLE and style == 0 for _, title, style in boxes),
                 f'every message box has the title "{TITLE}" and an OK button only', repr(boxes))
    texts = [text for text, _, _ in boxes]
    checks.equal(len(texts), 5, "five message boxes: two for the printer, one for the file, "
                                "two for the output file")
    texts += [""] * (5 - len(texts))
    checks.check(re.fullmatch(r"OpenPrinter per 'ventus-nosuch' fallita: 1801", texts[0]) is not None,
                 "message: the printer not opened, with the system's code", repr(texts[0]))
    checks.check(texts[1].strip() != "" and "OpenPrinter" not in texts[1],
                 "message: the system's text for that code", repr(texts[1]))
    checks.equal(texts[2], "Non posso aprire il 'missing.prn' per leggerlo.",
                 "message: the file not opened")
    # Wine's spooler opens the output file when the job ends, not when it starts.
    checks.check(re.fullmatch("(Inizio|Fine) " + re.escape(f"stampa su '{missing_folder_output}'")
                              + r" fallita: [1-9][0-9]*", texts[3]) is not None,
                 "message: the document failed, with the system's code", repr(texts[3]))
    checks.check(texts[4].strip() != "" and "stampa su" not in texts[4],
                 "message: the system's text for that code", repr(texts[4]))
    checks.check(not (wine.work / "no-folder").exists(), "PrintFile made no folder")
    for text in texts:
        print(f"      message box: {text!r}")

    # A write that fails: the output file may not grow past 5 KiB. The Wine
    # server of the batch above is still running, unlimited: the limit holds
    # for the batch's own process only.
    def file_size_limit():
        import resource
        import signal
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (5 * 1024, 5 * 1024))

    results, boxes = wine.run([["PrintFile", "ventus-raw", "limited.prn", "to-file.prn"]],
                              environment, relay=True, limits=file_size_limit)
    checks.equal(results[0][1:], ["0"], "PrintFile whose write fails returns 0")
    checks.equal([text for text, _, _ in boxes], ["Trasmissione dati alla stampante fallito"],
                 "message: the write failed")
    limited = wine.work / "limited.prn"
    checks.check(limited.exists() and to_file.startswith(limited.read_bytes()),
                 "PrintFile: the document was ended with the bytes written before the failure")


# ---------------------------------------------------------------------------
# The print dialog

PD_RETURNDC = 0x100
PD_PAGENUMS = 0x2
PD_RETURNDEFAULT = 0x400


class Display:
    """A virtual X display of its own, whose screen Xvfb keeps in an XWD file."""

    def __init__(self, folder):
        self.screen = folder / "Xvfb_screen0"
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp",
             "-fbdir", str(folder)],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            self.name = ":" + number.readline().strip()

    def screenshot(self, path):
        """Writes the screen as it is now to a PNG file."""
        data = self.screen.read_bytes()
        header_size, _, _, depth, width, height = struct.unpack(">6I", data[:24])
        bits_per_pixel, bytes_per_line = struct.unpack(">2I", data[44:52])
        colors = struct.unpack(">I", data[76:80])[0]
        offset = header_size + 12 * colors
        if depth != 24 or bits_per_pixel != 32:
            return
        rows = []
        for y in range(height):
            line = data[offset + y * bytes_per_line:offset + y * bytes_per_line + 4 * width]
            pixels = bytearray(3 * width)  # little-endian BGRX to RGB
            pixels[0::3], pixels[1::3], pixels[2::3] = line[2::4], line[1::4], line[0::4]
            rows.append(b"\0" + bytes(pixels))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body)))
        path.write_bytes(b"\x89PNG\r\n\x1a\n" +
                         chunk(b"IHDR", struct.pack(">2I5B", width, height, 8, 2, 0, 0, 0)) +
                         chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))

    def close(self):
        self.process.terminate()
        self.process.wait()


def xdotool(display, *arguments):
    result = subprocess.run(["xdotool", *arguments], env=dict(os.environ, DISPLAY=display),
                            capture_output=True, text=True, timeout=60)
    return result.stdout.split()


def dialog_window(display, process, known=()):
    """The id of a new print dialog window, waiting up to 60 s."""
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and process.poll() is None:
        windows = [w for w in xdotool(display, "search", "--onlyvisible", "--name", "^Print$")
                   if w not in known]
        if windows:
            return windows[0]
        time.sleep(0.2)
    return None


def dialog_part(arguments, checks):
    missing = [tool for tool in ("Xvfb", "xdotool") if not shutil.which(tool)]
    if missing:
        skip(f"not installed: {' '.join(missing)} (scripts/install-deps.sh installs them)")
    wine = Wine(arguments)
    _, environment = fixture_environment(arguments.spooler_state)
    screenshots = pathlib.Path(arguments.screenshots)
    shutil.rmtree(screenshots, ignore_errors=True)
    screenshots.mkdir(parents=True)

    flags = str(PD_RETURNDC | PD_PAGENUMS)
    calls = [["SetupDialog", "1", "1", "9", flags], ["SetupDialog", "2", "3", "7", flags]]
    display = Display(wine.work)
    try:
        environment["DISPLAY"] = display.name
        environment["WINEDEBUG"] = "err+all"
        process = wine.start(calls, environment)
        first = dialog_window(display.name, process)
        checks.check(first is not None, "SetupDialog shows the print dialog")
        if first:
            display.screenshot(screenshots / "1-shown.png")
            # Each edit field is clicked, emptied and typed into; the points are
            # those of the dialog's layout (see the screenshots).
            xdotool(display.name, "windowfocus", "--sync", first)
            for (x, y), value in (((372, 164), "3"), ((129, 191), "2"), ((199, 191), "5")):
                xdotool(display.name, "mousemove", "--window", first, str(x), str(y), "click", "1")
                xdotool(display.name, "key", "End", "BackSpace", "BackSpace", "BackSpace")
                xdotool(display.name, "type", "--delay", "50", value)
            time.sleep(0.5)
            display.screenshot(screenshots / "2-changed.png")
            xdotool(display.name, "key", "Return")
            second = dialog_window(display.name, process, known=(first,))
            checks.check(second is not None, "SetupDialog shows the print dialog again")
            if second:
                display.screenshot(screenshots / "3-shown-again.png")
                xdotool(display.name, "windowfocus", "--sync", second)
                xdotool(display.name, "key", "Escape")
        if process.poll() is None:
            time.sleep(2)
            if process.poll() is None:
                display.screenshot(screenshots / "4-still-open.png")
        results, _ = Wine.finish(process, len(calls), timeout=60)
        if results[0][1:2] != ["1"]:  # what Wine and the batch said about it
            print(b"".join(process.output.get("err", [])).decode("latin-1")[-3000:])
    finally:
        display.close()

    confirmed, cancelled = results
    print(f"      confirmed: {confirmed}")
    checks.equal(confirmed[1:2], ["1"], "SetupDialog confirmed returns 1")
    checks.equal(confirmed[2:3], ["ventus-raw"], "SetupDialog: the device name chosen")
    checks.check(len(confirmed) > 3 and confirmed[3] not in ("", "driver-before"),
                 "SetupDialog: the driver name", repr(confirmed[3:4]))
    checks.check(len(confirmed) > 4 and "ventus-raw" in confirmed[4], "SetupDialog: the port name",
                 repr(confirmed[4:5]))
    checks.equal(confirmed[5:8], ["3", "2", "5"], "SetupDialog: copies, from and to page chosen")
    checks.equal(confirmed[8:], [flags, "dc"], "SetupDialog: flags kept, a device context returned")
    checks.equal(cancelled[1:], ["0", "device-before", "driver-before", "port-before", "2", "3",
                                 "7", flags, "none"],
                 "SetupDialog cancelled returns 0 and leaves the record as it was")
    print(f"      screenshots in {screenshots}")


# ---------------------------------------------------------------------------
# The document exports

class Database:
    """One database, reached through Wine's odbc32 for the exports and through its
    own command-line tool for the checks."""

    def __init__(self, engine, arguments, folder):
        self.engine = engine
        self.folder = folder
        if engine == "sqlite":
            self.file = folder / "documents.db"
            self.connection = (f"Driver=VentusSQLite;Database={self.file};"
                               f"LoadExt={arguments.datalength}")
        else:
            self.socket = pathlib.Path(arguments.postgres_state).read_text().strip()
            self.connection = (f"Driver=VentusPostgreSQL;Servername={self.socket};Port=5432;"
                               "Database=postgres;UID=postgres;ByteaAsLongVarBinary=1")

    def query(self, sql):
        if self.engine == "sqlite":
            command = ["sqlite3", "-batch", "-bail", str(self.file)]
        else:
            command = ["psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-h", self.socket,
                       "-U", "postgres", "-d", "postgres"]
        result = subprocess.run(command, input=sql, capture_output=True, text=True, check=True)
        return result.stdout.strip()

    def literal(self, data):
        return f"X'{data.hex()}'" if self.engine == "sqlite" else f"decode('{data.hex()}','hex')"

    def stored(self, table, key):
        """The document's bytes, None for NULL, "missing" without the row."""
        hex_of = "hex(documento)" if self.engine == "sqlite" else "encode(documento,'hex')"
        rows = self.query(f"SELECT documento IS NULL, {hex_of} FROM {table} WHERE iddoc='{key}';")
        if not rows:
            return "missing"
        is_null, _, digits = rows.partition("|")
        return None if is_null in ("1", "t") else bytes.fromhex(digits)


def database_part(arguments, checks):
    missing = [tool for tool in ("sqlite3", "psql") if not shutil.which(tool)]
    # The drivers of the build's width that odbcinst.ini names.
    for line in pathlib.Path(arguments.odbc_folder, "odbcinst.ini").read_text().splitlines():
        if line.startswith("Driver=") and not pathlib.Path(line[7:]).exists():
            missing.append(line[7:])
    if missing:
        skip(f"not installed: {' '.join(missing)} (scripts/install-deps.sh installs them)")
    wine = Wine(arguments)
    environment = {"ODBCSYSINI": arguments.odbc_folder}

    document = random_bytes(100000, 11) + b"\0\x1a\r\n\xff"
    (wine.work / "in.bin").write_bytes(document)
    (wine.work / "empty.bin").write_bytes(b"")
    (wine.work / "longer.bin").write_bytes(document + b"!")
    changed = bytearray(document)
    changed[5] ^= 0xFF
    (wine.work / "changed.bin").write_bytes(bytes(changed))
    first_changed = bytearray(document)
    first_changed[0] ^= 0xFF
    (wine.work / "first-changed.bin").write_bytes(bytes(first_changed))

    databases = {}
    calls = []
    expected = []  # (label, result) per call
    for engine in ("sqlite", "postgres"):
        folder = wine.work / engine
        folder.mkdir()
        database = databases[engine] = Database(engine, arguments, folder)
        table = f"docs_windows_{os.getpid()}"
        blob = "BLOB" if engine == "sqlite" else "bytea"
        database.query(f"DROP TABLE IF EXISTS {table}; CREATE TABLE {table} "
                       f"(iddoc VARCHAR(50) UNIQUE, documento {blob}); INSERT INTO {table} VALUES "
                       f"('old', {database.literal(b'old bytes')}), ('n', NULL);")
        database.table = table
        out = f"{engine}-out.bin"
        select = f"SELECT documento, datalength(documento) FROM {table} WHERE iddoc="
        cases = [
            (["connect", database.connection], "1", "connects"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('a', ?)", "in.bin"],
             "0", "LoadBin stores the file"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('e', ?)", "empty.bin"],
             "0", "LoadBin stores an empty file"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "missing.bin"],
             "-3", "LoadBin of a missing file"),
            (["LoadBin", r"\N", "in.bin"], "-4", "LoadBin without a statement"),
            (["LoadBin", f"INSERT INTO {table} (iddoc, documento) VALUES ('old', ?)", "in.bin"],
             "-5", "LoadBin whose statement fails when it runs"),
            (["SaveBin", select + "'a'", out], "0", "SaveBin writes the document"),
            (["SaveBin", select + "'e'", f"{engine}-empty.bin"], "0", "SaveBin of an empty one"),
            (["SaveBin", "SELECT documento FROM no_such_table", f"{engine}-x.bin"], "-3",
             "SaveBin of a failing query"),
            (["SaveBin", select + "'n'", f"{engine}-x.bin"], "-4", "SaveBin of a NULL document"),
            (["SaveBin", select + "'zz'", f"{engine}-x.bin"], "-5", "SaveBin without a row"),
            (["SaveBin", select + "'a'", "no-folder\\out.bin"], "-6",
             "SaveBin into a folder that does not exist"),
            (["EqualBin", table, "a", "in.bin"], "0", "EqualBin of the same bytes"),
            (["EqualBin", table, "a", out], "0", "EqualBin of what SaveBin wrote"),
            (["EqualBin", table, "a", "longer.bin"], "1", "EqualBin of another length"),
            (["EqualBin", table, "a", "changed.bin"], "2", "EqualBin of other bytes"),
            (["EqualBin", table, "a", "first-changed.bin"], "2",
             "EqualBin of a file whose first byte differs"),
            (["EqualBin", "no_such_table", "a", "in.bin"], "-3", "EqualBin on a missing table"),
            (["EqualBin", table, "zz", "in.bin"], "-5", "EqualBin of a missing key"),
            (["EqualBin", table, "n", "in.bin"], "-6", "EqualBin of a NULL document"),
            (["EqualBin", table, "a", "missing.bin"], "-7", "EqualBin of a missing file"),
            (["unconnected"], "1", "a handle never connected"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "in.bin"], "-2",
             "LoadBin on it: no statement"),
            (["SaveBin", select + "'a'", f"{engine}-x.bin"], "-2", "SaveBin on it: no statement"),
            (["EqualBin", table, "a", "in.bin"], "-2", "EqualBin on it: no statement"),
            (["null-connection"], "1", "a null handle"),
            (["LoadBin", f"UPDATE {table} SET documento=? WHERE iddoc='old'", "in.bin"], "-1",
             "LoadBin with it"),
            (["SaveBin", select + "'a'", f"{engine}-x.bin"], "-1", "SaveBin with it"),
            (["EqualBin", table, "a", "in.bin"], "-1", "EqualBin with it"),
        ]
        for call, result, label in cases:
            calls.append(call)
            expected.append((f"{engine}: {label}", result))

    results, _ = wine.run(calls, environment)
    for (label, result), actual in zip(expected, results):
        checks.equal(actual[1:2], [result], label)
        if actual[1:2] != [result] and len(actual) > 2:
            print(f"      {actual[2:]}")

    for engine, database in databases.items():
        table = database.table
        checks.check(database.stored(table, "a") == document,
                     f"{engine}: {engine_tool(engine)} reads back every byte LoadBin stored")
        checks.equal(database.stored(table, "e"), b"",
                     f"{engine}: the empty file is stored as an empty document, not NULL")
        checks.equal(database.stored(table, "old"), b"old bytes",
                     f"{engine}: the failed calls left the stored document as it was")
        checks.check((wine.work / f"{engine}-out.bin").read_bytes() == document
                     if (wine.work / f"{engine}-out.bin").exists() else False,
                     f"{engine}: SaveBin wrote every byte")
        empty = wine.work / f"{engine}-empty.bin"
        checks.check(empty.exists() and empty.stat().st_size == 0,
                     f"{engine}: SaveBin of an empty document made an empty file")
        checks.check(not (wine.work / f"{engine}-x.bin").exists(),
                     f"{engine}: the failed SaveBin calls made no file")
        database.query(f"DROP TABLE {table};")


def engine_tool(engine):
    return "sqlite3" if engine == "sqlite" else "psql"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("part", choices=["spooler", "dialog", "database"])
    parser.add_argument("--wine", required=True)
    parser.add_argument("--batch", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--spooler-state")
    parser.add_argument("--screenshots")
    parser.add_argument("--postgres-state")
    parser.add_argument("--odbc-folder")
    parser.add_argument("--datalength")
    arguments = parser.parse_args()
    for name in ("batch", "work", "spooler_state", "screenshots", "postgres_state", "odbc_folder",
                 "datalength"):
        if getattr(arguments, name):
            setattr(arguments, name, os.path.abspath(getattr(arguments, name)))
    checks = Checks()
    {"spooler": spooler_part, "dialog": dialog_part, "database": database_part}[arguments.part](
        arguments, checks)
    print(f"{checks.failures} failure(s)")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
