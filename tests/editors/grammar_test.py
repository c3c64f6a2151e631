"""The TextMate grammar editors/formula.tmLanguage.json against the scanner.

Usage: grammar_test.py SOURCE_ROOT

Lines are tokenised the way a TextMate editor does on one line (at each
position the pattern that matches earliest wins, ties going to the first in
order), and every keyword of the scanner's table in compiler/scanner.cpp must
come out with a keyword scope, while names stay names.
"""
import json
import os
import re
import sys
import unittest

ROOT = None


def scanner_keywords():
    with open(os.path.join(ROOT, "compiler", "scanner.cpp")) as file:
        source = file.read()
    table = re.search(r"keyword keywords\[\]\s*=\s*\{(.*?)\};", source, re.S)
    return dict(re.findall(r'\{"([a-z]+)",\s*([A-Z]+)\}', table.group(1)))


def load_grammar():
    with open(os.path.join(ROOT, "editors", "formula.tmLanguage.json")) as file:
        return json.load(file)


def flatten(grammar, patterns):
    flat = []
    for pattern in patterns:
        if "include" in pattern:
            flat += flatten(grammar, [grammar["repository"][pattern["include"].lstrip("#")]])
        elif "match" in pattern or "begin" in pattern:
            flat.append(pattern)
        else:
            flat += flatten(grammar, pattern["patterns"])
    return flat


def tokenise(grammar, line):
    """(text, scope) of every token of one line; text between tokens is left out."""
    patterns = flatten(grammar, grammar["patterns"])
    tokens = []
    position = 0
    while position < len(line):
        best = None
        for pattern in patterns:
            found = re.compile(pattern.get("match") or pattern["begin"]).search(line, position)
            if found and found.end() > found.start() and (best is None or found.start() < best[0].start()):
                best = (found, pattern)
        if best is None:
            break
        found, pattern = best
        if "begin" in pattern:
            end = re.compile(pattern["end"]).search(line, found.end())
            stop = end.end() if end else len(line)
            tokens.append((line[found.start():stop], pattern["name"]))
            position = stop
            continue
        if "captures" in pattern:
            for group, capture in sorted(pattern["captures"].items(), key=lambda item: int(item[0])):
                tokens.append((found.group(int(group)), capture["name"]))
        else:
            tokens.append((found.group(0), pattern["name"]))
        position = found.end()
    return tokens


class Grammar(unittest.TestCase):
    def setUp(self):
        self.grammar = load_grammar()
        self.keywords = scanner_keywords()

    def test_the_scanner_table_was_read(self):
        self.assertGreaterEqual(len(self.keywords), 20)
        for word, token in self.keywords.items():
            self.assertEqual(word.upper(), token)

    def test_every_scanner_keyword_is_highlighted_as_a_keyword(self):
        for word in self.keywords:
            for line in (f"{word} x", f"x {word} (y)", f"{word}:"):
                with self.subTest(line=line):
                    scopes = [scope for text, scope in tokenise(self.grammar, line) if text == word]
                    self.assertTrue(scopes, line)
                    self.assertRegex(scopes[0], r"^(keyword|storage|support)\.", line)

    def test_keyword_patterns_name_only_scanner_keywords(self):
        words = set()
        for pattern in flatten(self.grammar, self.grammar["patterns"]):
            for group in re.findall(r"\\b\(([a-z|]+)\)", pattern.get("match", "")):
                words.update(group.split("|"))
        self.assertEqual(words, set(self.keywords))

    def test_names_that_look_like_keywords_stay_names(self):
        for name in ("IF", "Input", "inputs", "endp2", "_if", "iff", "round_up", "x1"):
            self.assertEqual(tokenise(self.grammar, name), [(name, "variable.other.formula")], name)

    def test_a_whole_source_line(self):
        self.assertEqual(
            tokenise(self.grammar, "r = round(a * 2.5, 2) % b mod 3; // if r >= 1"),
            [("r", "variable.other.formula"), ("=", "keyword.operator.assignment.formula"),
             ("round", "support.function.formula"), ("(", "punctuation.section.parens.begin.formula"),
             ("a", "variable.other.formula"), ("*", "keyword.operator.arithmetic.formula"),
             ("2.5", "constant.numeric.formula"), (",", "punctuation.separator.comma.formula"),
             ("2", "constant.numeric.formula"), (")", "punctuation.section.parens.end.formula"),
             ("%", "keyword.operator.arithmetic.formula"), ("b", "variable.other.formula"),
             ("mod", "keyword.operator.word.formula"), ("3", "constant.numeric.formula"),
             (";", "punctuation.terminator.statement.formula"),
             ("// if r >= 1", "comment.line.double-slash.formula")])
        self.assertEqual(
            tokenise(self.grammar, "method CALC /* if */ label L: goto L"),
            [("method", "keyword.other.method.formula"), ("CALC", "entity.name.function.formula"),
             ("/* if */", "comment.block.formula"), ("label", "keyword.control.label.formula"),
             ("L", "entity.name.label.formula"), (":", "punctuation.separator.label.formula"),
             ("goto", "keyword.control.goto.formula"), ("L", "entity.name.label.formula")])

    def test_comparisons_and_assignment(self):
        for operator in ("<=", ">=", "==", "!=", "<", ">"):
            self.assertEqual(tokenise(self.grammar, f"a {operator} b")[1],
                             (operator, "keyword.operator.comparison.formula"))


if __name__ == "__main__":
    ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
