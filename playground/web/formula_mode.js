// Highlighting of the formula language: a stream tokenizer with the words of
// docs/language.md (keywords are lower case and whole words; names start with
// a letter or _; numbers are digits with an optional fraction; comments are
// // to the line end and /* ... */, which may span lines).
import { StreamLanguage } from "@codemirror/language";

const declarations = new Set(["input", "output", "inout", "local", "static"]);
const blocks = new Set(["method", "proc", "endp"]);
const control = new Set(["if", "then", "else", "end", "while", "goto", "label", "return", "message", "errmsg"]);
const operatorWords = new Set(["and", "or", "not", "mod", "isin"]);
const functions = new Set(["round", "ceil", "floor"]);

function wordStyle(word) {
  if (declarations.has(word)) return "typeName";
  if (blocks.has(word) || control.has(word)) return "keyword";
  if (operatorWords.has(word)) return "operatorKeyword";
  if (functions.has(word)) return "standard(variableName)";
  return "variableName";
}

export const formulaLanguage = StreamLanguage.define({
  name: "formula",
  startState: () => ({ inBlockComment: false }),
  token(stream, state) {
    if (state.inBlockComment) {
      if (stream.skipTo("*/")) {
        stream.match("*/");
        state.inBlockComment = false;
      } else {
        stream.skipToEnd();
      }
      return "blockComment";
    }
    if (stream.eatSpace()) return null;
    if (stream.match("//")) {
      stream.skipToEnd();
      return "lineComment";
    }
    if (stream.match("/*")) {
      state.inBlockComment = true;
      return "blockComment";
    }
    if (stream.match(/^[0-9]+(\.[0-9]+)?/)) return "number";
    const word = stream.match(/^[A-Za-z_][A-Za-z0-9_]*/);
    if (word) return wordStyle(word[0]);
    if (stream.match(/^(<=|>=|==|!=|[<>=+\-*\/%])/)) return "operator";
    if (stream.match(/^[;,():]/)) return "punctuation";
    stream.next();
    return "invalid";
  },
  languageData: { commentTokens: { line: "//", block: { open: "/*", close: "*/" } } },
});
