"""PrintFile and DefaultPrinter through Wine's winspool to the private CUPS
scheduler, and SetupDialog asked for the default printer without a dialog."""
import re
import time

from print_dialog import PD_RETURNDC, PD_RETURNDEFAULT
from wine_batch import TITLE, Wine, random_bytes, spooler_environment, windows_path


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
    wine = Wine(arguments)
    folder, environment = spooler_environment(arguments.spooler_state)
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
