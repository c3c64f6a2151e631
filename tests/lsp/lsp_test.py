"""formula-lsp driven by a scripted JSON-RPC client: the protocol's round
trip, every feature on a real document, and input that must not end the
server.

Usage: lsp_test.py FORMULA_LSP SOURCE_ROOT
"""
import os
import re
import sys
import unittest

from lsp_client import LanguageServer

SERVER = None
ROOT = None
URI = "file:///work/premio.frm"

SOURCE = (
    "method PREMIO\n"            # 0
    "input importo, anni;\n"     # 1
    "output premio, nota;\n"     # 2
    "local tasso;\n"             # 3
    "proc\n"                     # 4
    "if anni > 3 then goto Sconto end\n"  # 5
    "tasso = 0.05;\n"            # 6
    "goto Calcolo\n"             # 7
    "premio = 0;\n"              # 8 unreachable
    "label Sconto:\n"            # 9
    "tasso = 0.03;\n"            # 10
    "label Calcolo:\n"           # 11
    "premio = round(importo * tasso + extra, 2);\n"  # 12
    "label Fine:\n"              # 13
    "endp\n")


def position(line, character):
    return {"line": line, "character": character}


class Session(unittest.TestCase):
    def setUp(self):
        self.server = LanguageServer([SERVER])
        reply = self.server.request("initialize", {"processId": None, "rootUri": None, "capabilities": {}})
        self.capabilities = reply["result"]["capabilities"]
        self.server.notify("initialized", {})

    def tearDown(self):
        if self.server.process.poll() is None:
            self.server.process.kill()
            self.server.process.wait()

    def open(self, text, uri=URI):
        self.server.notify("textDocument/didOpen",
                           {"textDocument": {"uri": uri, "languageId": "formula", "version": 1, "text": text}})
        return self.server.diagnostics(uri)

    def change(self, text, version=2, uri=URI):
        self.server.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": version},
                                                      "contentChanges": [{"text": text}]})
        return self.server.diagnostics(uri)

    def ask(self, method, line, character, **more):
        params = {"textDocument": {"uri": URI}, "position": position(line, character)}
        params.update(more)
        return self.server.request(method, params)


class Features(Session):
    def test_capabilities_and_an_orderly_shutdown(self):
        for capability in ("hoverProvider", "definitionProvider", "referencesProvider",
                           "documentSymbolProvider", "completionProvider"):
            self.assertIn(capability, self.capabilities)
        self.assertEqual(self.server.request("shutdown", None)["result"], None)
        self.server.notify("exit", None)
        self.assertEqual(self.server.process.wait(timeout=30), 0)

    def test_diagnostics_on_open_and_on_change(self):
        diagnostics = self.open(SOURCE)
        errors = [d for d in diagnostics if d["severity"] == 1]
        self.assertEqual([d["message"] for d in errors], ["Variabile extra non definita linea 13"])
        self.assertEqual(errors[0]["range"], {"start": position(12, 33), "end": position(12, 38)})
        warnings = sorted((d["range"]["start"]["line"], d["message"]) for d in diagnostics if d["severity"] == 2)
        self.assertEqual(warnings, [
            (2, "Variabile di output nota mai assegnata"),
            (8, "Istruzioni mai raggiunte"),
            (13, "Label Fine mai usata"),
        ])
        # A read of a local before any assignment; fixed by the change after.
        diagnostics = self.change(SOURCE.replace("tasso = 0.05;", "premio = tasso;"))
        self.assertIn((6, "Variabile tasso letta prima di essere assegnata"),
                      [(d["range"]["start"]["line"], d["message"]) for d in diagnostics])
        diagnostics = self.change(SOURCE.replace("extra", "1").replace("output premio, nota;", "output premio;")
                                  .replace("label Fine:\n", "").replace("premio = 0;\n", ""), 3)
        self.assertEqual(diagnostics, [])

    def test_syntax_error_with_found_and_expected(self):
        diagnostics = self.open("method F\ninput a;\nproc\na = (a + ;\nendp\n")
        self.assertEqual(len(diagnostics), 1)
        self.assertEqual(diagnostics[0]["message"], "syntax error: linea 4")
        self.assertEqual(diagnostics[0]["range"], {"start": position(3, 9), "end": position(3, 10)})
        related = diagnostics[0]["relatedInformation"][0]["message"]
        self.assertTrue(related.startswith("found ;, expected "), related)
        self.assertIn("NAME", related)
        self.assertIn("round", related)

    def test_columns_count_utf16_code_units(self):
        diagnostics = self.open("method F\ninput a;\nproc\n/* é😀 */ b = 1;\nendp\n")
        # "/* " 3, "é" 1, "😀" 2 (a surrogate pair), " */ " 4.
        self.assertEqual(diagnostics[0]["range"]["start"], position(3, 10))
        diagnostics = self.change("method F\r\ninput a;\r\nproc\r\n b = 1;\r\nendp\r\n")
        self.assertEqual(diagnostics[0]["range"], {"start": position(3, 1), "end": position(3, 2)})

    def test_hover_on_variables_and_builtins(self):
        self.open(SOURCE)
        hover = self.ask("textDocument/hover", 12, 26)["result"]["contents"]["value"]
        self.assertIn("local tasso", hover)
        hover = self.ask("textDocument/hover", 1, 7)["result"]["contents"]["value"]
        self.assertIn("input importo", hover)
        hover = self.ask("textDocument/hover", 12, 11)["result"]["contents"]["value"]
        self.assertIn("round(a, n)", hover)
        with open(os.path.join(ROOT, "docs", "language.md"), encoding="utf-8") as file:
            language = file.read()
        self.assertIn(hover.split("\n")[-1], language)
        self.assertIsNone(self.ask("textDocument/hover", 4, 1)["result"])

    def test_builtin_descriptions_stand_in_the_language_guide(self):
        with open(os.path.join(ROOT, "docs", "language.md"), encoding="utf-8") as file:
            language = file.read()
        text = "method F input a; output r; proc r = round(a, 2) + ceil(a, 1) + floor(a, 0) + a mod 2;\n" \
               "if isin(r) then message r errmsg r end endp"
        self.open(text)
        for word in ("round", "ceil", "floor", "mod", "isin", "message", "errmsg"):
            character = text.split("\n")[0].find(word) if word in text.split("\n")[0] else None
            line = 0 if character is not None else 1
            if character is None:
                character = text.split("\n")[1].find(word)
            hover = self.ask("textDocument/hover", line, character + 1)["result"]
            self.assertIsNotNone(hover, word)
            description = hover["contents"]["value"].split("\n")[-1]
            self.assertIn(description, language, word)

    def test_definition_and_references(self):
        self.open(SOURCE)
        # goto Sconto (line 5) jumps to "label Sconto:" on line 9.
        result = self.ask("textDocument/definition", 5, 25)["result"]
        self.assertEqual(result["range"], {"start": position(9, 6), "end": position(9, 12)})
        result = self.ask("textDocument/definition", 12, 12 + len("round(importo * "))["result"]
        self.assertEqual(result["range"], {"start": position(3, 6), "end": position(3, 11)})
        references = self.ask("textDocument/references", 3, 7, context={"includeDeclaration": True})["result"]
        self.assertEqual(sorted(r["range"]["start"]["line"] for r in references), [3, 6, 10, 12])
        references = self.ask("textDocument/references", 11, 8, context={"includeDeclaration": False})["result"]
        self.assertEqual([r["range"]["start"]["line"] for r in references], [7])

    def test_completion(self):
        self.open(SOURCE)
        items = self.ask("textDocument/completion", 6, 0)["result"]["items"]
        labels = {item["label"]: item for item in items}
        for word in ("while", "endp", "importo", "tasso", "round"):
            self.assertIn(word, labels)
        self.assertEqual(labels["round"]["insertText"], "round(${1:a}, ${2:n})")
        self.assertEqual(labels["round"]["insertTextFormat"], 2)
        # After "goto", the labels only; also while the line is half typed.
        self.change(SOURCE.replace("goto Calcolo\n", "goto \n"))
        items = self.ask("textDocument/completion", 7, 5)["result"]["items"]
        self.assertEqual(sorted(item["label"] for item in items), ["Calcolo", "Fine", "Sconto"])

    def test_completion_offers_every_keyword_of_the_scanner(self):
        with open(os.path.join(ROOT, "compiler", "scanner.cpp"), encoding="utf-8") as file:
            scanner = file.read()
        table = re.search(r"keyword keywords\[\] = \{(.*?)\};", scanner, re.S)
        self.assertIsNotNone(table, "the scanner's keyword table")
        words = re.findall(r'\{"(\w+)",\s*[A-Z_]+\}', table.group(1))
        self.assertGreater(len(words), 20)
        self.open("method F input a; proc endp")
        items = self.ask("textDocument/completion", 0, 0)["result"]["items"]
        offered = sorted(item["label"] for item in items if item["kind"] in (3, 14))  # functions, keywords
        self.assertEqual(offered, sorted(words))

    def test_document_symbols(self):
        self.open(SOURCE)
        symbols = self.server.request("textDocument/documentSymbol", {"textDocument": {"uri": URI}})["result"]
        self.assertEqual([s["name"] for s in symbols], ["PREMIO"])
        groups = {g["name"]: [c["name"] for c in g["children"]] for g in symbols[0]["children"]}
        self.assertEqual(groups, {"input": ["importo", "anni"], "output": ["premio", "nota"],
                                  "local": ["tasso"], "label": ["Sconto", "Calcolo", "Fine"]})


class ProtocolOrder(unittest.TestCase):
    def test_before_initialize_and_after_shutdown(self):
        server = LanguageServer([SERVER])
        self.addCleanup(server.process.kill)
        symbols = {"textDocument": {"uri": URI}}
        opened = {"textDocument": {"uri": URI, "languageId": "formula", "version": 1, "text": SOURCE}}
        # Before "initialize": requests get ServerNotInitialized, notifications are dropped.
        self.assertEqual(server.request("textDocument/documentSymbol", symbols)["error"]["code"], -32002)
        self.assertEqual(server.request("shutdown", None)["error"]["code"], -32002)
        server.notify("textDocument/didOpen", opened)
        self.assertIn("capabilities", server.request("initialize", {"capabilities": {}})["result"])
        self.assertEqual(server.request("textDocument/documentSymbol", symbols)["error"]["code"], -32602)
        server.notify("textDocument/didOpen", opened)
        server.diagnostics(URI)
        self.assertIsNone(server.request("shutdown", None)["result"])
        # After "shutdown": requests are invalid, notifications but "exit" are dropped.
        self.assertEqual(server.request("textDocument/documentSymbol", symbols)["error"]["code"], -32600)
        server.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": 2},
                                                 "contentChanges": [{"text": "method F endp"}]})
        self.assertEqual(server.request("shutdown", None)["error"]["code"], -32600)
        server.notify("exit", None)
        self.assertEqual(server.process.wait(timeout=30), 0)
        # No diagnostics for the change after shutdown: "exit" was the next thing heard.
        self.assertRaises(EOFError, server.receive)


class BadInput(Session):
    def still_answers(self):
        reply = self.server.request("textDocument/documentSymbol", {"textDocument": {"uri": URI}})
        self.assertIn("result", reply)

    def test_half_typed_sources(self):
        self.open("")
        for end in range(1, len(SOURCE) + 1, 3):
            self.change(SOURCE[:end], end + 1)
            reply = self.ask("textDocument/hover", 5, 5)
            self.assertNotIn("error", reply)
            self.ask("textDocument/completion", 7, 5)
        self.still_answers()

    def test_binary_bytes_in_documents_and_messages(self):
        self.open("".join(chr(c) for c in range(256)) * 4)
        self.change("method F input a; proc a = \x00\x1a\x7f; endp")
        # Raw bytes that are not UTF-8 in the message body.
        body = b'{"jsonrpc":"2.0","id":77,"method":"textDocument/hover","params":{"x":"\xff\xfe"}}'
        self.server.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        reply = self.server.reply_to(None)
        self.assertEqual(reply["error"]["code"], -32700)
        self.still_answers()

    def test_large_documents(self):
        largest = 8 * 1024 * 1024
        line = "// " + "x" * 80 + "\n"
        start, end = "method F\ninput a;\nproc\na = a + 1;\n", "endp\n"
        filler = line * ((largest - len(start) - len(end)) // len(line) - 1)
        rest = largest - len(start) - len(filler) - len(end)
        text = start + filler + "//" + "x" * (rest - 3) + "\n" + end
        self.assertEqual(len(text), largest)
        self.assertEqual(self.open(text), [])
        diagnostics = self.change(text.replace("a = a + 1;", "a = a + ;", 1))
        self.assertEqual(diagnostics[0]["message"], "syntax error: linea 4")
        diagnostics = self.change("method F input a; proc a = 1; /*" + "x" * (largest // 2) + "*/ endp")
        self.assertEqual(diagnostics[0]["message"],
                         "input buffer overflow, can't enlarge buffer because scanner uses REJECT")
        # One byte more is not analysed, and says so.
        diagnostics = self.change(text.replace("a = a + 1;", "a = a + 1; ", 1), 4)
        self.assertEqual([d["message"] for d in diagnostics],
                         ["Documento di %d byte non analizzato: il limite e' %d byte" % (largest + 1, largest)])
        self.still_answers()

    def test_diagnostics_past_a_thousand(self):
        # Two undefined names a line and the code table's message when it runs
        # full: 6,001 messages, of which the first 1,000 are shown, and one
        # more that counts the rest.
        text = "method F\ninput a;\noutput b;\nproc\nb = a;\n" + "Q = Z * 2;\n" * 3000 + "endp\n"
        diagnostics = self.open(text)
        self.assertEqual(len(diagnostics), 1001)
        self.assertEqual(diagnostics[999]["message"], "Variabile Q non definita linea 505")
        self.assertEqual(diagnostics[1000]["message"], "Altre 5001 segnalazioni non mostrate")
        self.assertEqual(diagnostics[1000]["range"], diagnostics[999]["range"])
        # Warnings count among them.
        text = text.replace("output b;\nproc\nb = a;", "output b, c;\nproc\nb = a;")
        self.assertEqual(self.change(text)[1000]["message"], "Altre 5002 segnalazioni non mostrate")

    def test_unknown_method_and_malformed_requests(self):
        self.open(SOURCE)
        self.assertEqual(self.server.request("workspace/frobnicate", {})["error"]["code"], -32601)
        self.assertEqual(self.server.request("textDocument/hover", {"textDocument": {}})["error"]["code"], -32602)
        self.assertEqual(self.server.request("textDocument/hover",
                                             {"textDocument": {"uri": "file:///not/open.frm"},
                                              "position": position(0, 0)})["error"]["code"], -32602)
        self.assertEqual(self.server.request("textDocument/definition",
                                             {"textDocument": {"uri": URI},
                                              "position": position(-5, 10 ** 9)})["result"], None)
        self.server.notify("textDocument/didChange", {"textDocument": {"uri": URI}, "contentChanges": []})
        self.server.notify("no/such/notification", {"x": 1})
        self.still_answers()

    def test_positions_out_of_range_are_clamped(self):
        self.open(SOURCE)
        largest = 2 ** 31 - 1
        for method in ("textDocument/hover", "textDocument/definition", "textDocument/references",
                       "textDocument/completion"):
            for line, character in ((largest, 0), (0, largest), (largest, largest), (-1, -largest),
                                    (2 ** 63, 2 ** 64), (1e300, -1e300), (12.5, 33.9)):
                reply = self.ask(method, line, character, context={"includeDeclaration": True})
                self.assertIn("result", reply, (method, line, character))
        # Past the range of an int is past the end, not a number wrapped round
        # to "importo" on line 1; a fraction is cut.
        self.assertIsNone(self.ask("textDocument/hover", 2 ** 32 + 1, 7)["result"])
        self.assertIsNone(self.ask("textDocument/hover", 1, 2 ** 32 + 7)["result"])
        self.assertIn("input importo", self.ask("textDocument/hover", 1.9, 7.5)["result"]["contents"]["value"])
        self.assertEqual(self.ask("textDocument/hover", "1", 7)["error"]["code"], -32602)

    def test_malformed_json_rpc(self):
        for body in (b"{not json", b"[1, 2, 3]", b'"text"', b'{"jsonrpc":"2.0","id":5}', b"{}"):
            self.server.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
            reply = self.server.receive()
            self.assertIn(reply["error"]["code"], (-32700, -32600), body)
        # A header without a length, a wrong length, then a good message.
        self.server.send_raw(b"Content-Type: nothing\r\n\r\n")
        self.assertEqual(self.server.receive()["error"]["code"], -32700)
        self.server.send_raw(b"Content-Length: nineteen\r\n\r\n")
        self.assertEqual(self.server.receive()["error"]["code"], -32700)
        self.open(SOURCE)
        self.still_answers()

    def test_a_bad_header_costs_one_error_and_no_later_message(self):
        shutdown = b'{"jsonrpc":"2.0","id":%d,"method":"shutdown"}'
        for bad_header in (b"Content-Type: x\r\n\r\n", b"Content-Length: 12abc\r\n\r\n",
                           b"Content-Length: %d\r\n\r\n" % (64 * 1024 * 1024 + 1),
                           b"Content-Length: 99999999999999999999999\r\n\r\n"):
            with self.subTest(bad_header=bad_header):
                server = LanguageServer([SERVER])
                self.addCleanup(server.process.kill)
                server.request("initialize", {"processId": None, "rootUri": None, "capabilities": {}})
                # The bad message's body runs straight into the next header.
                server.send_raw(bad_header + shutdown % 0)
                for request_id in range(1, 6):
                    body = shutdown % request_id
                    server.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
                server.notify("exit", None)
                replies = [server.receive() for _ in range(6)]
                self.assertEqual(replies[0]["error"]["code"], -32700)
                self.assertEqual([reply.get("id") for reply in replies[1:]], [1, 2, 3, 4, 5])
                self.assertIsNone(replies[1]["result"])
                self.assertEqual(server.process.wait(timeout=30), 0)

    def test_end_of_input_without_exit(self):
        self.assertEqual(self.server.close(), 1)


if __name__ == "__main__":
    SERVER = os.path.abspath(sys.argv[1])
    ROOT = sys.argv[2]
    unittest.main(argv=[sys.argv[0]], verbosity=1)
