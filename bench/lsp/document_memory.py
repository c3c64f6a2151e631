"""formula-lsp's peak memory and time for one large document, measured with
GNU time: the document opened, then shutdown and exit. The server should stay
within about 20 times the document's size.

Usage: document_memory.py FORMULA_LSP
"""
import json
import re
import subprocess
import sys

HEAD = "method CALC\ninput A;\noutput B;\nlocal Q;\nproc\nB = A;\n"
# Each line: two undefined names (two messages), a clean assignment, names
# as dense as they come, a label defined again (a message) and a jump to it,
# a comment.
DOCUMENTS = [
    ("two errors a line, 11 MB (past the limit)", "Q = Z * W;\n", 1_000_000),
    ("two errors a line, 7.7 MB", "Q = Z * W;\n", 700_000),
    ("two errors a line, 1.1 MB", "Q = Z * W;\n", 100_000),
    ("clean assignments, 7.7 MB", "Q = A * 2;\n", 700_000),
    ("eight undefined names a line, 7.6 MB", "Z=Z*Z*Z*Z*Z*Z*Z*Z;\n", 400_000),
    ("a label and a jump a line, 8 MB", "label L:\ngoto L\n", 500_000),
    ("comments, 7.6 MB", "// " + "x" * 80 + "\n", 90_000),
]


def framed(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def session(text):
    return b"".join(framed(m) for m in (
        {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}},
        {"jsonrpc": "2.0", "method": "textDocument/didOpen",
         "params": {"textDocument": {"uri": "file:///calc.frm", "languageId": "formula", "version": 1,
                                     "text": text}}},
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"}))


def main():
    server = sys.argv[1]
    print("%-42s %10s %12s %8s %8s %12s" % ("document", "bytes", "max RSS KB", "x size", "seconds", "bytes sent"))
    for name, line, count in DOCUMENTS:
        text = HEAD + line * count + "endp\n"
        run = subprocess.run(["/usr/bin/time", "-v", server], input=session(text), capture_output=True, check=True)
        rss = int(re.search(rb"Maximum resident set size \(kbytes\): (\d+)", run.stderr).group(1))
        clock = re.search(rb"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", run.stderr).group(1)
        seconds = sum(float(part) * 60 ** i for i, part in enumerate(reversed(clock.decode().split(":"))))
        print("%-42s %10d %12d %8.1f %8.2f %12d" % (name, len(text), rss, rss * 1024 / len(text), seconds,
                                                   len(run.stdout)))


if __name__ == "__main__":
    main()
