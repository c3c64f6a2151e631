"""SetupDialog under Xvfb, driven with xdotool: OK after changing copies and
pages, then Cancel; a screenshot of each state is kept."""
import os
import pathlib
import shutil
import struct
import subprocess
import time
import zlib

from wine_batch import Wine, skip, spooler_environment

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
    _, environment = spooler_environment(arguments.spooler_state)
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
        time.sleep(1)
        display.screenshot(screenshots / "4-after-cancel.png")  # empty once the batch ended
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
