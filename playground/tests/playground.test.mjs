// The playground in a real browser, compared with formcomp and formeval of the
// native build. Run after scripts/playground.sh and the release build:
//   node --test playground/tests/
// Screenshots of each state are left in build/playground/screenshots/.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { startBrowser, openPlayground, settled, screenshot, downloaded, pageUrl } from "../chromium.mjs";
import * as tools from "./reference_tools.mjs";
import { encodeBase64Url, longestLink, damagedLinkMessage, tooLongLinkMessage } from "../web/share_link.js";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const example = (file) => readFileSync(path.join(root, "examples", file), "utf8");

const examples = [
  { file: "calc.frm", inputs: ["21"] },
  { file: "discount.frm", inputs: ["120", "9.99", "0"] },
  { file: "interest.frm", inputs: ["1000", "3.5", "10"] },
  { file: "premium.frm", inputs: ["40", "3", "150000"] },
];

const endlessLoop = "method LOOP\ninput A;\noutput R;\nproc\nlabel again:\nR = R + A;\ngoto again\nendp\n";
const division = "method DIVIDE\ninput A, B;\noutput R;\nproc\nR = A / B + 1;\nendp\n";

let browser;
before(async () => {
  assert.ok(tools.toolsFound, "formcomp and formeval of the release build are needed (cmake --build --preset release)");
  browser = await startBrowser();
});
after(async () => {
  // Nothing but the page and its worker was loaded, in any test.
  const foreign = browser.requests.filter((url) => !/^(file:|blob:|http:\/\/127\.0\.0\.1:)/.test(url));
  await browser.close();
  assert.deepEqual(foreign, []);
});

const text = (page, selector) => page.textContent(selector);

async function setSource(page, source) {
  await page.evaluate((s) => window.playground.setSource(s), source);
  await settled(page);
}

async function fillInputs(page, inputs) {
  for (let i = 0; i < inputs.length; ++i) await page.fill(`#input-${i + 1}`, inputs[i]);
}

test("the examples compile and evaluate as formcomp and formeval do", async () => {
  const page = await openPlayground(browser);
  for (const { file, inputs } of examples) {
    const source = example(file);
    await page.selectOption("#example", { label: file });
    await settled(page);
    assert.equal(await page.evaluate(() => window.playground.source()), source);

    const reference = tools.compile(source);
    assert.equal(reference.status, 0);
    assert.equal(await text(page, "#messages"), reference.stdout + reference.stderr);
    const listed = tools.compile(source, ["-d"]);
    assert.equal(await text(page, "#listing"), listed.stdout);

    const name = (await page.evaluate(() => window.playground.compiled().name));
    const fields = await page.$$eval("#inputs input", (all) => all.map((field) => field.name));
    const symbols = reference.file(name + ".sym");
    // Input variables: tipo 1, scope 1 in the listing of the symbols.
    const inputNames = [...listed.stdout.matchAll(/^Var: # +\d+ +1 +1 +(\S+)$/gm)].map((m) => m[1]);
    assert.deepEqual(fields, inputNames, file);

    await fillInputs(page, inputs);
    await page.click("#evaluate");
    await settled(page);
    const evaluated = tools.evaluate(reference.folder, name, inputs);
    assert.equal(await text(page, "#result"), evaluated.stdout.trimEnd(), file);

    // The two texts, downloaded, with and without the header.
    await page.click('[data-tab="texts"]');
    let sym = await downloaded(page, "#download-sym");
    let obj = await downloaded(page, "#download-obj");
    assert.equal(sym.name, name + ".sym");
    assert.equal(obj.name, name + ".obj");
    assert.ok(sym.bytes.equals(symbols), file);
    assert.ok(obj.bytes.equals(reference.file(name + ".obj")), file);
    const bare = tools.compile(source, ["-b"]);
    await page.check("#without-header");
    sym = await downloaded(page, "#download-sym");
    obj = await downloaded(page, "#download-obj");
    assert.ok(sym.bytes.equals(bare.file(name + ".sym")), file);
    assert.ok(obj.bytes.equals(bare.file(name + ".obj")), file);
    await screenshot(page, `example-${path.basename(file, ".frm")}-texts`);
    await page.uncheck("#without-header");
    await page.click('[data-tab="evaluate"]');
    await screenshot(page, `example-${path.basename(file, ".frm")}`);
  }
  assert.deepEqual(page.problems, []);
  await page.close();
});

test("a syntax error shows formcomp's message and marks its place", async () => {
  const page = await openPlayground(browser);
  const source = "method BAD\ninput A;\noutput R;\nproc\nR = Q + 1;\nR = A * ;\nendp\n";
  await setSource(page, source);
  const reference = tools.compile(source);
  assert.notEqual(reference.status, 0);
  assert.equal(await text(page, "#messages"), reference.stdout + reference.stderr);
  // Each message with a line is marked in the editor at that line.
  const lines = [...(reference.stdout + reference.stderr).matchAll(/linea (\d+)/g)].map((m) => Number(m[1]));
  assert.ok(lines.length > 0);
  const marked = await page.$$eval("#messages .placed", (spans) => spans.map((span) => Number(span.dataset.line)));
  assert.deepEqual(marked, lines);
  await page.waitForSelector(".cm-lintRange-error");
  const gutterLines = await page.$$eval(".cm-gutter-lint .cm-gutterElement", (elements) =>
    elements.filter((e) => e.querySelector(".cm-lint-marker-error")).map((e) => e.getBoundingClientRect().top));
  assert.equal(gutterLines.length, new Set(lines).size);
  // Each mark covers its token: the missing operand's ";" and the undefined Q.
  const marks = await page.$$eval(".cm-lintRange-error", (all) => all.map((mark) => mark.textContent));
  assert.deepEqual(marks.sort(), [";", "Q"]);
  // The syntax error's mark tells the token found and what could have stood there.
  await page.hover('.cm-lintRange-error >> text=";"');
  const tooltip = await page.waitForSelector(".cm-tooltip-lint");
  assert.match(await tooltip.textContent(), /syntax error: linea 6\s*found ;, expected \S/);
  await screenshot(page, "syntax-error");
  // Clicking a message selects its place in the editor.
  await page.click("#messages .placed");
  const selected = await page.evaluate(() => {
    const { state } = window.playground.editorView;
    return state.sliceDoc(state.selection.main.from, state.selection.main.to);
  });
  assert.ok(selected.length > 0);
  assert.equal(await page.isDisabled("#evaluate"), true);
  await page.close();
});

test("a share link reproduces the formula and its result, from file:// and from a web server", async () => {
  // A comment outside ASCII: the link carries the source's UTF-8 bytes.
  const source = example("premium.frm") + "// premio annuo, € — ✓\n";
  const inputs = ["23", "12", "98765.4"];
  const reference = tools.compile(source);
  const expected = tools.evaluate(reference.folder, "PREMIO", inputs).stdout.trimEnd();
  const encoded = Buffer.from(source, "utf8").toString("base64url");
  assert.equal(encodeBase64Url(source), encoded);
  const fragment = `#src=${encoded}&in=${inputs.join(",")}`;

  const page = await openPlayground(browser, pageUrl + fragment);
  assert.equal(await page.evaluate(() => window.playground.source()), source);
  assert.equal(await text(page, "#result"), expected);
  assert.deepEqual(await page.$$eval("#inputs input", (all) => all.map((f) => f.value)), inputs);
  await screenshot(page, "share-link");

  // The copied link of the page in its current state opens the same again.
  await fillInputs(page, ["70", "0", "5000"]);
  await page.click("#copy-link");
  const link = await page.inputValue("#share-link");
  assert.ok(link.startsWith(pageUrl + "#src="));
  const again = await openPlayground(browser, link);
  assert.equal(await again.evaluate(() => window.playground.source()), source);
  assert.equal(await text(again, "#result"), tools.evaluate(reference.folder, "PREMIO", ["70", "0", "5000"]).stdout.trimEnd());
  await page.close();
  await again.close();

  // Links that do not hold what they should: inputs formeval would refuse get
  // its message.
  const refused = await openPlayground(browser, `${pageUrl}#src=${encoded}&in=23,x%41,1`);
  const notNumber = tools.evaluate(reference.folder, "PREMIO", ["23", "xA", "1"]);
  assert.equal(await text(refused, "#evaluation-messages"), notNumber.stderr.trimEnd());
  assert.equal(await text(refused, "#result"), "");
  await refused.goto(`${pageUrl}#src=${encoded}&in=1,2`);
  await settled(refused);
  const tooFew = tools.evaluate(reference.folder, "PREMIO", ["1", "2"]);
  assert.equal(await text(refused, "#evaluation-messages"), tooFew.stderr.trimEnd());
  assert.deepEqual(refused.problems, []);
  await refused.close();

  // The same folder from a plain static server.
  const folder = path.join(root, "out/playground");
  const server = createServer((request, response) => {
    const file = path.join(folder, new URL(request.url, "http://x").pathname);
    try {
      const body = readFileSync(file);
      response.writeHead(200, { "content-type": "text/html; charset=utf-8" }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  try {
    const served = await openPlayground(browser, `http://127.0.0.1:${server.address().port}/index.html${fragment}`);
    assert.equal(await text(served, "#result"), expected);
    await served.close();
  } finally {
    server.close();
  }
});

// Numbers as people and programs write them: signs, exponents, blanks, quotes,
// magnitudes from tiny to huge, and Windows line ends.
function csvRows(count) {
  let seed = 12345;
  const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
  const number = () => {
    const kind = Math.floor(random() * 8);
    const value = random() * 1000;
    switch (kind) {
      case 0: return String(Math.floor(value));
      case 1: return value.toFixed(2);
      case 2: return "-" + value.toFixed(4);
      case 3: return (value * 1e12).toExponential(6);
      case 4: return " " + (value / 1e7).toString() + " ";
      case 5: return `"${Math.floor(value * 1000)}"`;
      case 6: return "+" + value.toPrecision(17);
      default: return String(value * 1e18);
    }
  };
  let csv = "eta,anni_senza_sinistri,capitale\n";
  for (let row = 0; row < count; ++row) csv += `${number()},${number()},${number()}${row % 7 ? "\n" : "\r\n"}`;
  return csv;
}

test("a damaged share link opens nothing and says so; Copy link warns of a link too long to open", async () => {
  const shownSource = (page) => page.evaluate(() => window.playground.source());
  const notice = async (page) => ((await page.isVisible("#link-notice")) ? text(page, "#link-notice") : "");
  // Not base64url, one character (no whole byte), bytes that are not UTF-8.
  for (const src of ["%%%not*base64", "Q", "_w"]) {
    const page = await openPlayground(browser, `${pageUrl}#src=${src}&in=${"9,".repeat(5000)}`);
    assert.equal(await shownSource(page), "", src);
    assert.equal(await notice(page), damagedLinkMessage, src);
    assert.equal(await page.$$eval("#inputs input", (all) => all.length), 0, src);
    assert.equal(await text(page, "#result"), "", src);
    assert.equal(await page.getAttribute("body", "data-state"), "idle", src);
    assert.deepEqual(page.problems, []);
    if (src === "Q") await screenshot(page, "damaged-link");
    await page.close();
  }

  // Over a formula, a damaged link empties the editor; a good link then clears the notice.
  const calc = example("calc.frm");
  const page = await openPlayground(browser, `${pageUrl}#src=${encodeBase64Url(calc)}&in=21`);
  assert.equal(await text(page, "#result"), "42");
  await page.evaluate(() => { location.hash = "#src=Q&in=21"; });
  await page.waitForFunction(() => window.playground.source() === "");
  await settled(page);
  assert.equal(await notice(page), damagedLinkMessage);
  await page.evaluate((fragment) => { location.hash = fragment; }, `#src=${encodeBase64Url(calc)}&in=4`);
  await page.waitForFunction(() => document.getElementById("result").textContent === "8");
  assert.equal(await notice(page), "");

  // A source of 1.6 MB makes a link past what Chromium opens; one byte per
  // character, four characters of base64url per three.
  const long = "method LONG\ninput A;\noutput R;\nproc\nR = A;\n" + ("// " + "x".repeat(76) + "\n").repeat(20000) + "endp\n";
  await setSource(page, long);
  await page.click("#copy-link");
  const length = await page.$eval("#share-link", (field) => field.value.length);
  assert.ok(length > longestLink);
  assert.equal(await notice(page), tooLongLinkMessage(length));
  await setSource(page, calc);
  await page.click("#copy-link");
  assert.equal(await notice(page), "");
  assert.deepEqual(page.problems, []);
  await page.close();
});

test("a CSV file of 10,000 rows evaluates as formeval --csv does; bad rows are named by number", async () => {
  const page = await openPlayground(browser);
  const source = example("premium.frm");
  await setSource(page, source);
  const reference = tools.compile(source);
  const rows = csvRows(10000);
  const expected = tools.evaluateCsv(reference.folder, "PREMIO", "rows.csv", rows);
  assert.equal(expected.status, 0, expected.stderr);

  await page.click('[data-tab="csv"]');
  await page.setInputFiles("#csv-file", expected.path);
  await settled(page);
  const result = await downloaded(page, "#download-csv");
  assert.equal(result.bytes.toString(), expected.stdout);
  assert.equal(await page.$$eval("#csv-bad-rows li", (all) => all.length), 0);
  // formeval's notices of rows that met a zero divisor, the same.
  assert.equal(await text(page, "#csv-notices"), expected.stderr);
  await screenshot(page, "csv-10000-rows");

  // Bad rows: formeval stops at the first; the page names them all and
  // evaluates the others.
  const bad = "eta,anni_senza_sinistri,capitale\n30,1,1000\nx,1,1000\n40,2\n\"50,1,1000\n60,3,2000\n";
  const refused = tools.evaluateCsv(reference.folder, "PREMIO", "bad.csv", bad);
  assert.notEqual(refused.status, 0);
  await page.setInputFiles("#csv-file", refused.path);
  await settled(page);
  const items = await page.$$eval("#csv-bad-rows li", (all) => all.map((li) => [Number(li.dataset.row), li.textContent]));
  assert.deepEqual(items.map(([row]) => row), [3, 4, 5]);
  assert.equal(items[0][1], refused.stderr.trimEnd());
  const good = tools.evaluateCsv(reference.folder, "PREMIO", "good.csv",
    "eta,anni_senza_sinistri,capitale\n30,1,1000\n60,3,2000\n");
  assert.equal(await text(page, "#csv-text"), good.stdout);
  await screenshot(page, "csv-bad-rows");
  await page.close();
});

// Finite doubles of every kind as text: random bit patterns, every power of
// two and its neighbours (where the digits are hardest to get right), the odd
// spellings that from_chars takes.
function numberRows() {
  const bits = new DataView(new ArrayBuffer(8));
  const fromBits = (high, low) => {
    bits.setUint32(0, high);
    bits.setUint32(4, low);
    return bits.getFloat64(0);
  };
  const values = [];
  let seed = 987654321;
  const random32 = () => (seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0);
  for (let i = 0; i < 6000; ++i) {
    const value = fromBits(random32(), random32());
    if (Number.isFinite(value)) values.push(String(value));
  }
  for (let exponent = -1074; exponent <= 1023; ++exponent) {
    const power = 2 ** exponent;
    bits.setFloat64(0, power);
    const high = bits.getUint32(0), low = bits.getUint32(4);
    values.push(String(power), String(fromBits(high, low + 1)), String(low ? fromBits(high, low - 1) : fromBits(high - 1, 0xffffffff)));
  }
  values.push("1e22", "1e21", "123456789012345680000", "9007199254740993", "0.1", "1.005", "1e-5", "9.999999e-6",
    "1e16", "-0", "+5", "5.", ".5", "-.5", "00012", "1.5E3", "1e-320");
  return "A\n" + values.join("\n") + "\n";
}

test("numbers are read and written exactly as formeval reads and writes them", async () => {
  const page = await openPlayground(browser);
  const echo = "method ECHO\ninput A;\noutput R;\nproc\nR = A;\nendp\n";
  await setSource(page, echo);
  const reference = tools.compile(echo);
  const expected = tools.evaluateCsv(reference.folder, "ECHO", "numbers.csv", numberRows());
  assert.equal(expected.status, 0, expected.stderr);
  await page.click('[data-tab="csv"]');
  await page.setInputFiles("#csv-file", expected.path);
  await settled(page);
  assert.equal(await text(page, "#csv-text"), expected.stdout);
  // Texts that are no finite number are refused as formeval refuses them.
  const refusedTexts = ["1e400", "-1e-400", "0x10", "1e5x", "1 e5", "--1", "++5", "infinit", ".",
    "inf", "-Infinity", "NaN", "nan(abc)"];
  for (const [i, value] of refusedTexts.entries()) {
    const refused = tools.evaluateCsv(reference.folder, "ECHO", `refused${i}.csv`, `A\n${value}\n`);
    assert.notEqual(refused.status, 0, value);
    await page.setInputFiles("#csv-file", refused.path);
    await settled(page);
    assert.equal(await text(page, "#csv-bad-rows li"), refused.stderr.trimEnd(), value);
  }
  await page.close();
});

test("a trace matches formeval --trace, and the division message shows where it occurs", async () => {
  const page = await openPlayground(browser);
  await page.selectOption("#example", { label: "interest.frm" });
  await settled(page);
  const inputs = ["2500", "4.25", "7"];
  await fillInputs(page, inputs);
  await page.click("#trace-run");
  await settled(page);
  const reference = tools.compile(example("interest.frm"));
  const expected = tools.trace(reference.folder, "MONTANTE", inputs);
  assert.equal(expected.status, 0);
  assert.equal(await text(page, "#trace-text"), expected.stdout);
  const steps = expected.stdout.split("\n").filter((line) => line.startsWith("Trc:")).length;
  assert.equal(await page.$$eval("#trace tbody tr", (all) => all.length), steps);
  const downloadedTrace = await downloaded(page, "#download-trace");
  assert.equal(downloadedTrace.bytes.toString(), expected.stdout);
  await screenshot(page, "trace");

  await setSource(page, division);
  await page.click('[data-tab="evaluate"]');
  await fillInputs(page, ["7", "0"]);
  await page.click("#evaluate");
  await settled(page);
  const divided = tools.compile(division);
  const evaluated = tools.evaluate(divided.folder, "DIVIDE", ["7", "0"]);
  assert.equal(await text(page, "#result"), evaluated.stdout.trimEnd());
  assert.ok(evaluated.stderr.length > 0);
  assert.ok((await text(page, "#evaluation-messages")).startsWith(evaluated.stderr.trimEnd()));
  await screenshot(page, "division");
  await page.click("#trace-run");
  await settled(page);
  const traced = tools.trace(divided.folder, "DIVIDE", ["7", "0"]);
  assert.equal(await text(page, "#trace-text"), traced.stdout);
  const marked = await page.$$eval("#trace tr.division", (rows) => rows.map((row) => row.cells[3].textContent + " " + row.cells[6].textContent));
  assert.deepEqual(marked, ["DIV " + evaluated.stderr.trimEnd()]);
  await screenshot(page, "trace-division");
  await page.close();
});

test("bad input holds: a 1 MB source, binary bytes, a formula that never stops", async () => {
  const page = await openPlayground(browser);

  const big = "method BIG\ninput A;\noutput R;\nproc\n" + "R = A + 1; // a long formula\n".repeat(37000) + "endp\n";
  assert.ok(big.length > 1 << 20);
  await setSource(page, big);
  let reference = tools.compile(big);
  assert.equal(await text(page, "#messages"), reference.stdout + reference.stderr);
  await screenshot(page, "bad-input-1mb");

  let binary = "";
  for (let i = 0; i < 4096; ++i) binary += String.fromCharCode((i * 7919) % 256);
  binary += "\u{1F600}\uFFFD";
  await setSource(page, binary);
  const held = await page.evaluate(() => window.playground.source());
  reference = tools.compile(Buffer.from(held, "utf8"));
  assert.equal(await text(page, "#messages"), reference.stdout + reference.stderr);
  await screenshot(page, "bad-input-binary");

  // The evaluation stops at the page's limit with its message; formeval would run forever.
  await setSource(page, endlessLoop);
  await fillInputs(page, ["1"]);
  await page.click("#evaluate");
  await settled(page);
  assert.match(await text(page, "#evaluation-messages"), /^valutazione interrotta dopo 10000000 istruzioni: la formula non arriva a STOP$/);
  assert.equal(await text(page, "#result"), "");
  await screenshot(page, "endless-loop");
  // Its trace stops at the trace's own limit, with formeval's message.
  await page.click("#trace-run");
  await settled(page);
  assert.match(await text(page, "#trace-messages"), /^formeval: traccia interrotta dopo 100000 istruzioni: la formula non arriva a STOP\n/);
  assert.equal(await text(page, "#trace-output"), "");

  // A CSV file that never ends evaluating: the page stays responsive and the
  // worker is stopped after the watchdog's time, then replaced.
  await page.evaluate(() => window.playground.setWatchdog(5000));
  await page.click('[data-tab="csv"]');
  const looping = tools.compile(endlessLoop);
  const csvPath = path.join(looping.folder, "loop.csv");
  writeFileSync(csvPath, "A\n1\n2\n");
  await page.setInputFiles("#csv-file", csvPath);
  await page.waitForFunction(() => document.body.dataset.state === "busy");
  // Typing reaches the editor while the worker is still held by the run.
  await page.click("#editor .cm-content");
  await page.keyboard.press("Control+End");
  await page.keyboard.type("// typed while the worker runs\n");
  assert.match(await page.evaluate(() => window.playground.source()), /typed while the worker runs/);
  assert.equal(await page.evaluate(() => document.body.dataset.state), "busy");
  await settled(page);
  assert.match(await text(page, "#csv-summary"), /^elaborazione interrotta dopo 5 secondi senza risposta/);
  await screenshot(page, "csv-watchdog");

  await page.selectOption("#example", { label: "calc.frm" });
  await settled(page);
  await page.click('[data-tab="evaluate"]');
  await page.click("#evaluate");
  await settled(page);
  assert.equal(await text(page, "#result"), "42");
  assert.deepEqual(page.problems, []);
  await page.close();
});
