// The formula playground: edit a formula, compile it with the real compiler,
// evaluate, trace and test it with the real evaluator, both running as
// WebAssembly in a worker. Hooks for tests and other tools: the elements
// #result (the output as formeval prints it) and #messages (the compiler's
// messages as formcomp prints them), and window.playground (see below).
import { createEditor, setSource, showPlaces, selectPlace } from "./editor.js";
import { WorkerClient } from "./worker_client.js";
import { shareFragment, readShareFragment, longestLink, damagedLinkMessage, tooLongLinkMessage } from "./share_link.js";
import { parseTrace, renderTrace } from "./trace_table.js";
import { downloadText, copyText } from "./downloads.js";
import { examples } from "./examples.js";
import { showCoverage } from "./coverage.js";
import { showComparison, drawnHistogram } from "./compare_view.js";

const shownTraceRows = 2000;
const shownCsvRows = 1000;
const compileDelayMilliseconds = 250;

const $ = (id) => document.getElementById(id);

// ---- Activity, for window.playground.settled() ----
let activity = 0;
let settledWaiters = [];
function begin() {
  ++activity;
}
function end() {
  if (--activity === 0) {
    for (const resolve of settledWaiters) resolve();
    settledWaiters = [];
  }
}
function settled() {
  return activity === 0 ? Promise.resolve() : new Promise((resolve) => settledWaiters.push(resolve));
}

function showState(state) {
  document.body.dataset.state = state;
  $("status").textContent = state === "busy" ? "working…" : "ready";
}

const client = new WorkerClient({ onStateChange: showState });

// ---- Compile ----
let compiled = null; // the last successful compile: { source, result }
let compileTimer = null;
let compileSequence = 0;
let pendingExampleInputs = null;

const editor = createEditor($("editor"), () => {
  // The example list names the example only while the editor holds it unchanged.
  const chosen = examples[Number($("example").value)];
  if ($("example").value !== "" && (!chosen || chosen.source !== editor.state.doc.toString())) $("example").value = "";
  scheduleCompile();
});

function cancelScheduledCompile() {
  if (!compileTimer) return;
  clearTimeout(compileTimer);
  compileTimer = null;
  end();
}

function scheduleCompile() {
  if (compileTimer) clearTimeout(compileTimer);
  else begin();
  compileTimer = setTimeout(() => {
    compileTimer = null;
    compileNow().finally(end);
  }, compileDelayMilliseconds);
}

async function compileNow() {
  const source = editor.state.doc.toString();
  const sequence = ++compileSequence;
  begin();
  try {
    const answer = await client.request("compile", { source });
    if (sequence === compileSequence) showCompile(source, answer.result);
  } finally {
    end();
  }
}

function showMessages(text, places) {
  const messages = $("messages");
  messages.replaceChildren();
  const lines = text.split("\n");
  if (lines[lines.length - 1] === "") lines.pop();
  lines.forEach((line) => {
    const place = places.find((p) => p.message === line && p.line);
    const span = document.createElement("span");
    span.textContent = line + "\n";
    if (place) {
      span.className = "placed";
      span.dataset.line = place.line;
      span.dataset.column = place.column;
      span.addEventListener("click", () => selectPlace(editor, place));
    }
    messages.append(span);
  });
  messages.dataset.lines = lines.length;
}

function showCompile(source, result) {
  if (result.failure) {
    compiled = null;
    showMessages(result.failure + "\n", []);
    showPlaces(editor, []);
    showCompiledTexts();
    return;
  }
  showMessages(result.messages, result.places);
  showPlaces(editor, result.places);
  $("listing").textContent = result.listing;
  compiled = result.exit === 0 ? { source, result } : null;
  if (compiled && !kept) keepVersion();
  document.body.dataset.compiled = compiled ? "ok" : "failed";
  showCompiledTexts();
  // An example's usual inputs fill the fields once its compile has made them.
  showInputFields(compiled ? pendingExampleInputs : null);
  if (compiled) pendingExampleInputs = null;
}

function showCompiledTexts() {
  const bare = $("without-header").checked;
  const r = compiled ? compiled.result : null;
  $("symbols").textContent = r ? (bare ? r.symbols_bare : r.symbols) : "";
  $("code").textContent = r ? (bare ? r.code_bare : r.code) : "";
  $("symbol-file").textContent = r ? r.symbol_file : "NAME.sym";
  $("code-file").textContent = r ? r.code_file : "NAME.obj";
  for (const id of ["download-sym", "download-obj", "evaluate", "trace-run", "csv-file", "compare-file", "compare-keep"])
    $(id).disabled = !r;
  $("compare-run").disabled = !r || !compareFile;
}

// One field per input variable, in binding order; values typed before stay
// with their names.
function showInputFields(values = null) {
  const container = $("inputs");
  const previous = new Map([...container.querySelectorAll("input")].map((field) => [field.name, field.value]));
  container.replaceChildren();
  if (!compiled) return;
  compiled.result.inputs.forEach((name, i) => {
    const label = document.createElement("label");
    const caption = document.createElement("span");
    caption.textContent = name;
    const field = document.createElement("input");
    field.id = `input-${i + 1}`;
    field.name = name;
    field.inputMode = "decimal";
    field.autocomplete = "off";
    field.value = values ? (values[i] ?? "") : (previous.get(name) ?? "");
    label.append(caption, field);
    container.append(label);
  });
  if (compiled.result.inputs.length === 0) container.textContent = "no input variables";
}

function typedInputs() {
  return [...$("inputs").querySelectorAll("input")].map((field) => field.value.trim());
}

// ---- Evaluate and trace ----
function divisionNotes(result, errors) {
  const lines = [...errors];
  for (const address of result.zero_divisions || []) lines.push(`  at instruction ${address}`);
  return lines;
}

async function evaluateNow(extraInputs = null) {
  if (!compiled) return;
  const inputs = extraInputs ?? typedInputs();
  begin();
  try {
    const { symbols, code } = compiled.result;
    const answer = await client.request("evaluate", { symbols, code, inputs });
    const r = answer.result;
    const notes = [];
    if (r.failure) notes.push(r.failure);
    else if (r.error) notes.push(r.error);
    else notes.push(...divisionNotes(r, answer.errors));
    if (r.cut_off) notes.push(r.cut_off);
    $("result").textContent = r.failure || r.error || r.cut_off ? "" : r.output;
    $("evaluation-messages").textContent = notes.join("\n");
    $("evaluation-time").textContent = r.failure ? "" : `${answer.milliseconds.toFixed(3)} ms`;
  } finally {
    end();
  }
}

let lastTrace = "";
async function traceNow() {
  if (!compiled) return;
  begin();
  try {
    const { symbols, code } = compiled.result;
    const answer = await client.request("trace", { symbols, code, inputs: typedInputs() });
    const r = answer.result;
    selectTab("trace");
    const problem = r.failure || r.error || "";
    lastTrace = problem ? "" : r.trace;
    const trace = parseTrace(lastTrace);
    const shown = renderTrace($("trace"), trace, r.zero_divisor_steps || [], answer.errors[0] || "", shownTraceRows);
    $("trace-inputs").textContent = trace.inputs.map((text) => "Inp: " + text).join("\n");
    $("trace-output").textContent = trace.output !== null ? "Out: " + trace.output : "";
    const notes = [problem, r.cut_off || ""];
    if (shown < trace.rows.length) notes.push(`${trace.rows.length - shown} more rows in the downloaded trace`);
    $("trace-messages").textContent = notes.filter(Boolean).join("\n");
    $("trace-text").textContent = lastTrace;
    $("download-trace").disabled = !lastTrace;
  } finally {
    end();
  }
}

// ---- CSV test ----
let lastCsv = null; // { fileName, text }
async function runCsv(file) {
  if (!compiled || !file) return;
  begin();
  try {
    const { source, result: { name } } = compiled;
    const bytes = await file.arrayBuffer();
    const answer = await client.request("csv", { source, fileName: file.name, csv: bytes }, [bytes]);
    const r = answer.result;
    showBadRows($("csv-bad-rows"), r);
    // The counts belong to the source that ran; an edit since has cleared the marks.
    showCoverage(editor, !r.failure && editor.state.doc.toString() === source ? r.coverage : null);
    if (r.failure) {
      lastCsv = null;
      $("csv-summary").textContent = r.failure;
      $("csv-table").replaceChildren();
      $("csv-text").textContent = "";
      $("csv-notices").textContent = "";
      $("download-csv").disabled = true;
      return;
    }
    $("csv-notices").textContent = r.notices;
    lastCsv = { fileName: file.name.replace(/\.csv$/i, "") + "-" + name + ".csv", text: r.csv };
    $("csv-text").textContent = r.csv;
    const rows = r.csv.split("\n").filter((line) => line !== "");
    renderCsvTable(rows);
    $("csv-summary").textContent =
      `${r.rows_evaluated} rows evaluated, ${r.bad_rows.length} bad rows` +
      (rows.length - 1 > shownCsvRows ? `; the first ${shownCsvRows} shown, all in the download` : "") +
      ` (${answer.milliseconds.toFixed(1)} ms)`;
    $("download-csv").disabled = false;
  } finally {
    end();
  }
}

// The rows a CSV pass could not use, by number, with formeval's messages.
function showBadRows(list, r) {
  list.replaceChildren();
  (r.row_messages || []).forEach((message, i) => {
    const item = document.createElement("li");
    item.dataset.row = r.bad_rows[i];
    item.textContent = message;
    list.append(item);
  });
}

// ---- Compare ----
let kept = null; // the version before: { source, name }
let compareFile = null;
let lastCompare = null; // { fileName, text }

function keepVersion() {
  if (!compiled) return;
  kept = { source: compiled.source, name: compiled.result.name };
  $("compare-kept-name").textContent = `${kept.name} (${kept.source.split("\n").length} lines)`;
}

async function runCompare() {
  if (!compiled || !compareFile) return;
  const pasted = document.querySelector('input[name="compare-version"]:checked').value === "pasted";
  const oldSource = pasted ? $("compare-source").value : kept ? kept.source : "";
  begin();
  try {
    const bytes = await compareFile.arrayBuffer();
    const answer = await client.request(
      "compare",
      { oldSource, newSource: compiled.source, fileName: compareFile.name, csv: bytes },
      [bytes],
    );
    const r = answer.result;
    selectTab("compare");
    showBadRows($("compare-bad-rows"), r);
    $("compare-messages").textContent = r.failure || r.summary + r.notices;
    $("compare-text").textContent = r.failure ? "" : r.csv;
    showComparison(
      { changed: $("compare-changed"), chartCanvas: $("compare-chart"), notNumbers: $("compare-not-numbers"), largest: $("compare-largest") },
      r.failure ? null : r,
    );
    lastCompare = r.failure ? null : { fileName: compareFile.name.replace(/\.csv$/i, "") + "-differenze.csv", text: r.csv };
    $("download-compare").disabled = !lastCompare;
  } finally {
    end();
  }
}

function renderCsvTable(rows) {
  const table = $("csv-table");
  table.replaceChildren();
  if (!rows.length) return;
  const head = table.createTHead().insertRow();
  for (const name of rows[0].split(",")) {
    const th = document.createElement("th");
    th.textContent = name;
    head.append(th);
  }
  const body = table.createTBody();
  for (const line of rows.slice(1, shownCsvRows + 1)) {
    const row = body.insertRow();
    for (const value of line.split(",")) row.insertCell().textContent = value;
  }
}

// ---- Share ----
function currentLink() {
  const base = location.href.replace(/#.*$/, "");
  return base + shareFragment(editor.state.doc.toString(), typedInputs());
}

// A problem with a share link, or nothing (empty text).
function showLinkNotice(text) {
  $("link-notice").textContent = text;
  $("link-notice").hidden = !text;
}

async function copyLink() {
  const field = $("share-link");
  field.value = currentLink();
  showLinkNotice(field.value.length > longestLink ? tooLongLinkMessage(field.value.length) : "");
  const copied = await copyText(field.value, field);
  $("status").textContent = copied ? "link copied" : "link ready to copy";
}

// Opens a share link: its source, compiled at once, and its inputs evaluated.
// A link whose source cannot be read leaves the editor empty and says so,
// so that no other formula passes for the link's.
async function openSharedFormula() {
  const shared = readShareFragment(location.hash);
  if (!shared) return false;
  showLinkNotice(shared.damaged ? damagedLinkMessage : "");
  if (shared.damaged) {
    setSource(editor, "");
    return true;
  }
  begin();
  try {
    setSource(editor, shared.source);
    cancelScheduledCompile();
    await compileNow();
    if (compiled) {
      showInputFields(shared.inputs);
      await evaluateNow(shared.inputs);
    }
  } finally {
    end();
  }
  return true;
}

// ---- Tabs and controls ----
function selectTab(name) {
  for (const button of document.querySelectorAll("[data-tab]")) {
    const selected = button.dataset.tab === name;
    button.setAttribute("aria-selected", String(selected));
    $("tab-" + button.dataset.tab).hidden = !selected;
  }
}

function setUpControls() {
  const select = $("example");
  examples.forEach((example, i) => {
    const option = document.createElement("option");
    option.value = String(i);
    option.textContent = example.file;
    select.append(option);
  });
  select.addEventListener("change", () => {
    const example = examples[Number(select.value)];
    if (!example) return;
    setSource(editor, example.source);
    pendingExampleInputs = example.inputs;
    kept = null; // the example as it compiles becomes the version before
  });
  for (const button of document.querySelectorAll("[data-tab]"))
    button.addEventListener("click", () => selectTab(button.dataset.tab));
  $("compile").addEventListener("click", () => {
    begin();
    compileNow().finally(end);
  });
  $("inputs-form").addEventListener("submit", (event) => {
    event.preventDefault();
    evaluateNow();
  });
  $("trace-run").addEventListener("click", () => traceNow());
  $("without-header").addEventListener("change", showCompiledTexts);
  $("download-sym").addEventListener("click", () =>
    downloadText(compiled.result.symbol_file, $("symbols").textContent));
  $("download-obj").addEventListener("click", () =>
    downloadText(compiled.result.code_file, $("code").textContent));
  $("download-trace").addEventListener("click", () =>
    downloadText(compiled.result.name + ".trace.txt", lastTrace, "text/plain"));
  $("download-csv").addEventListener("click", () => downloadText(lastCsv.fileName, lastCsv.text, "text/csv"));
  $("csv-file").addEventListener("change", (event) => runCsv(event.target.files[0]));
  $("compare-keep").addEventListener("click", keepVersion);
  $("compare-source").addEventListener("input", () => {
    document.querySelector('input[name="compare-version"][value="pasted"]').checked = true;
  });
  $("compare-file").addEventListener("change", (event) => {
    compareFile = event.target.files[0] || null;
    showCompiledTexts();
    runCompare();
  });
  $("compare-run").addEventListener("click", () => runCompare());
  $("download-compare").addEventListener("click", () => downloadText(lastCompare.fileName, lastCompare.text, "text/csv"));
  $("copy-link").addEventListener("click", copyLink);
  window.addEventListener("hashchange", openSharedFormula);
}

// ---- Hooks for tests and other tools ----
window.playground = {
  // Replaces the editor's text (compiled after the usual pause).
  setSource: (text) => setSource(editor, text),
  source: () => editor.state.doc.toString(),
  // Resolves once nothing is pending: no compile waiting, no request running.
  settled,
  // The time after which a request without answer ends the worker.
  setWatchdog: (milliseconds) => {
    client.watchdogMilliseconds = milliseconds;
  },
  // The worker's requests, for the benchmark: request(kind, fields).
  request: (kind, fields) => client.request(kind, fields),
  compiled: () => (compiled ? compiled.result : null),
  // Keeps the last compiled formula as Compare's version before.
  keepVersion,
  // The Compare histogram as drawn: { edges, labels, counts }, or null.
  compareHistogram: drawnHistogram,
  // The CodeMirror view of the editor.
  editorView: editor,
  // When the page became ready, in milliseconds from the start of its loading.
  readyMilliseconds: null,
};

setUpControls();
selectTab("evaluate");
showCompiledTexts();
begin();
client.ready
  .then(async () => {
    if (!(await openSharedFormula())) {
      $("example").value = "0";
      setSource(editor, examples[0].source);
      pendingExampleInputs = examples[0].inputs;
    }
    // A damaged link asks the worker nothing, which would leave the page "loading".
    if (document.body.dataset.state === "loading" && !compileTimer) showState("idle");
  })
  .catch((error) => {
    $("messages").textContent = String(error);
  })
  .finally(() => {
    window.playground.readyMilliseconds = performance.now();
    document.body.dataset.loaded = "true";
    end();
  });
