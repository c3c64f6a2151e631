// The source editor: CodeMirror with the formula language's highlighting and
// the compiler's messages as inline diagnostics at their line and columns.
import { EditorState } from "@codemirror/state";
import {
  EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter, drawSelection,
  highlightSpecialChars,
} from "@codemirror/view";
import { defaultKeymap, history, historyKeymap, indentWithTab } from "@codemirror/commands";
import { syntaxHighlighting, defaultHighlightStyle, bracketMatching } from "@codemirror/language";
import { lintGutter, setDiagnostics } from "@codemirror/lint";
import { formulaLanguage } from "./formula_mode.js";
import { coverageExtension } from "./coverage.js";

export function createEditor(parent, onChange) {
  return new EditorView({
    parent,
    state: EditorState.create({
      doc: "",
      extensions: [
        lineNumbers(),
        coverageExtension,
        highlightActiveLineGutter(),
        highlightSpecialChars(),
        history(),
        drawSelection(),
        bracketMatching(),
        highlightActiveLine(),
        syntaxHighlighting(defaultHighlightStyle),
        formulaLanguage,
        lintGutter(),
        keymap.of([...defaultKeymap, ...historyKeymap, indentWithTab]),
        EditorView.updateListener.of((update) => {
          if (update.docChanged) onChange();
        }),
      ],
    }),
  });
}

export function setSource(view, text) {
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
}

// The offset in `text` of the character that starts at UTF-8 byte `byte`
// (the compiler counts columns in bytes, the editor in UTF-16 units).
function offsetOfByte(text, byte) {
  let bytes = 0;
  let offset = 0;
  while (offset < text.length && bytes < byte) {
    const code = text.codePointAt(offset);
    bytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    offset += code >= 0x10000 ? 2 : 1;
  }
  return offset;
}

function lineOf(doc, number) {
  return doc.line(Math.min(Math.max(number, 1), doc.lines));
}

// The document range of a message's token (lines and 1-based byte columns,
// the end one past the token), kept inside the document; null for a message
// without a place.
export function placeRange(doc, place) {
  if (!place.line) return null;
  const first = lineOf(doc, place.line);
  const last = lineOf(doc, place.end_line || place.line);
  const from = first.from + offsetOfByte(first.text, Math.max(place.column - 1, 0));
  const to = last.from + offsetOfByte(last.text, Math.max(place.end_column - 1, 0));
  return { from, to: Math.max(from, to) };
}

// The message as the editor shows it: formcomp's text, and for a syntax
// error the token found and the tokens that could have stood there.
export function placeMessage(place) {
  if (!place.found) return place.message;
  const expected = place.expected && place.expected.length ? `, expected ${place.expected.join(", ")}` : "";
  return `${place.message}\nfound ${place.found}${expected}`;
}

export function showPlaces(view, places) {
  const diagnostics = [];
  for (const place of places) {
    const range = placeRange(view.state.doc, place);
    if (range) diagnostics.push({ ...range, severity: "error", message: placeMessage(place), source: "formcomp" });
  }
  view.dispatch(setDiagnostics(view.state, diagnostics));
}

export function selectPlace(view, place) {
  const range = placeRange(view.state.doc, place);
  if (!range) return;
  view.dispatch({ selection: { anchor: range.from, head: range.to }, scrollIntoView: true });
  view.focus();
}
