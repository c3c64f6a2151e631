// Coverage in the editor after a CSV run: each line's count in a gutter of
// its own (as formeval --coverage counts it: how often the line's statements
// ran over the rows) and the lines never run shaded. Lines without statements
// get no mark. Any change to the text clears the marks, which belong to the
// text that ran.
import { StateEffect, StateField, RangeSet } from "@codemirror/state";
import { EditorView, Decoration, GutterMarker, gutter } from "@codemirror/view";

const setCoverage = StateEffect.define();

class CountMarker extends GutterMarker {
  constructor(line, count) {
    super();
    this.line = line;
    this.count = count;
  }
  eq(other) {
    return other.line === this.line && other.count === this.count;
  }
  toDOM() {
    const mark = document.createElement("span");
    mark.className = this.count === 0 ? "coverage-count never-run" : "coverage-count";
    mark.dataset.line = String(this.line);
    mark.textContent = String(this.count);
    mark.title = this.count === 0 ? "never run" : `run ${this.count} times`;
    return mark;
  }
}

// { markers, lines }: the gutter's markers and the shaded lines, for counts
// given per line (null: no statements), within the document.
function coverageMarks(doc, counts) {
  const markers = [];
  const lines = [];
  counts.forEach((count, i) => {
    if (count === null || i + 1 > doc.lines) return;
    const line = doc.line(i + 1);
    markers.push(new CountMarker(i + 1, count).range(line.from));
    if (count === 0)
      lines.push(Decoration.line({ class: "cm-never-run", attributes: { "data-line": String(i + 1) } }).range(line.from));
  });
  return { markers: RangeSet.of(markers), lines: Decoration.set(lines) };
}

const empty = { markers: RangeSet.empty, lines: Decoration.none };

const coverageField = StateField.define({
  create: () => empty,
  update(marks, transaction) {
    for (const effect of transaction.effects)
      if (effect.is(setCoverage)) return effect.value ? coverageMarks(transaction.state.doc, effect.value) : empty;
    return transaction.docChanged ? empty : marks;
  },
  provide: (field) => EditorView.decorations.from(field, (marks) => marks.lines),
});

export const coverageExtension = [
  coverageField,
  gutter({
    class: "cm-coverage-gutter",
    markers: (view) => view.state.field(coverageField).markers,
  }),
];

// Shows the counts (one per source line, null for a line without
// statements), or clears the marks with null.
export function showCoverage(view, counts) {
  view.dispatch({ effects: setCoverage.of(counts) });
}
