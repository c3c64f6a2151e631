// The playground's Compare and coverage against formeval --compare and
// formeval --coverage of the native build, in a real browser. Screenshots:
// build/playground/screenshots/compare-histogram.png and coverage.png.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, mkdtempSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { startBrowser, openPlayground, settled, screenshot } from "../chromium.mjs";
import * as tools from "./reference_tools.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const premium = readFileSync(path.join(root, "examples", "premium.frm"), "utf8");
// The next year's premium: older drivers pay more, and the discount goes up to 25 per cent.
const revised = premium.replace("tasso = 3.8;", "tasso = 4.1;").replace(/20/g, "25");

let browser;
before(async () => {
  assert.ok(tools.toolsFound, "formcomp and formeval of the release build are needed (cmake --build --preset release)");
  browser = await startBrowser();
});
after(() => browser.close());

// Rows of PREMIO's inputs, ages from `youngest` to `oldest`.
function premiumRows(count, youngest, oldest, mostYears) {
  let csv = "eta,anni_senza_sinistri,capitale\n";
  for (let i = 0; i < count; ++i)
    csv += `${youngest + ((i * 7) % (oldest - youngest + 1))},${(i * 3) % (mostYears + 1)},${1000 + ((i * 7919) % 250000)}\n`;
  return csv;
}

function csvFile(name, text) {
  const file = path.join(mkdtempSync(path.join(tmpdir(), "playground-rows-")), name);
  writeFileSync(file, text);
  return file;
}

test("Compare draws the histogram of formeval --compare's differences and lists the largest", async () => {
  const before = tools.compile(premium);
  const afterwards = tools.compile(revised);
  const rows = csvFile("portafoglio.csv", premiumRows(3000, 18, 90, 14));
  const reference = tools.compare(path.join(before.folder, "PREMIO"), path.join(afterwards.folder, "PREMIO"), rows);
  assert.equal(reference.status, 1, reference.stderr);
  const differing = reference.stdout.trimEnd().split("\n").slice(1);
  const differences = differing.map((line) => Number(line.split(",").at(-1)));
  assert.ok(differing.length > 100 && differing.length < 3000, `${differing.length} rows differ`);

  const page = await openPlayground(browser);
  await page.evaluate((s) => window.playground.setSource(s), premium);
  await settled(page);
  await page.click('[data-tab="compare"]');
  await page.click("#compare-keep");
  await page.evaluate((s) => window.playground.setSource(s), revised);
  await settled(page);
  await page.setInputFiles("#compare-file", rows);
  await settled(page);

  assert.equal(await page.textContent("#compare-text"), reference.stdout);
  assert.equal(await page.textContent("#compare-messages"), reference.stderr);
  assert.equal(await page.getAttribute("#compare-changed", "data-differing"), String(differing.length));

  // The bars: formeval's differences counted into the page's bins.
  const drawn = await page.evaluate(() => window.playground.compareHistogram());
  assert.ok(drawn && drawn.counts.length > 1, "a histogram with bars");
  const { edges } = drawn;
  const last = edges.length - 2;
  const expected = edges.slice(0, -1).map((low, i) =>
    differences.filter((d) => low <= d && (i === last ? d <= edges[i + 1] : d < edges[i + 1])).length);
  assert.deepEqual(drawn.counts, expected);
  assert.equal(expected.reduce((a, b) => a + b, 0), differing.length);
  // The chart was drawn on its canvas (not left blank).
  const painted = await page.$eval("#compare-chart", (canvas) => {
    const pixels = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let count = 0;
    for (let i = 3; i < pixels.length; i += 4) if (pixels[i] !== 0) ++count;
    return count;
  });
  assert.ok(painted > 1000, `${painted} pixels painted`);

  // The largest changes, largest first: formeval's ten largest differences.
  const shown = await page.$$eval("#compare-largest tbody tr", (all) => all.map((row) => row.lastChild.textContent));
  const largest = differing
    .map((line) => line.split(",").at(-1))
    .sort((a, b) => Math.abs(Number(b)) - Math.abs(Number(a)))
    .slice(0, 10);
  assert.deepEqual(shown.map((d) => Math.abs(Number(d))), largest.map((d) => Math.abs(Number(d))));
  await screenshot(page, "compare-histogram");
  assert.deepEqual(page.problems, []);
  await page.close();
});

// formeval --coverage's text as counts per line: null for "-", 0 for "#####".
function gcovCounts(text) {
  const counts = new Map();
  for (const line of text.split("\n")) {
    const match = /^ *(-|#####|\d+): *(\d+):/.exec(line);
    if (match) counts.set(Number(match[2]), match[1] === "-" ? null : match[1] === "#####" ? 0 : Number(match[1]));
  }
  return counts;
}

test("after a CSV run the editor shows formeval --coverage's counts and shades the lines never run", async () => {
  // Ages 25 to 64 and at most 10 years: the young, the old and the capped discount never run.
  const rows = csvFile("righe.csv", premiumRows(400, 25, 64, 10));
  const reference = tools.coverage(premium, rows);
  assert.equal(reference.status, 0, reference.stderr);
  const counts = gcovCounts(reference.stdout);
  const expectedMarks = [...counts].filter(([, count]) => count !== null).map(([line, count]) => [line, count]);
  const expectedNeverRun = [...counts].filter(([, count]) => count === 0).map(([line]) => line);
  assert.ok(expectedNeverRun.length >= 3, reference.stdout);

  const page = await openPlayground(browser);
  await page.evaluate((s) => window.playground.setSource(s), premium);
  await settled(page);
  await page.click('[data-tab="csv"]');
  await page.setInputFiles("#csv-file", rows);
  await settled(page);
  const marks = await page.$$eval(".cm-coverage-gutter .coverage-count", (all) =>
    all.map((mark) => [Number(mark.dataset.line), Number(mark.textContent)]));
  assert.deepEqual(marks, expectedMarks);
  const neverRun = await page.$$eval(".cm-line.cm-never-run", (all) => all.map((line) => Number(line.dataset.line)));
  assert.deepEqual(neverRun, expectedNeverRun);
  await screenshot(page, "coverage");

  // The marks belong to the text that ran: an edit clears them, even one
  // that leaves every line where it was.
  const digit = premium.indexOf("/ 1000") + 2;
  await page.evaluate((at) => window.playground.editorView.dispatch({ changes: { from: at, to: at + 1, insert: "2" } }), digit);
  assert.equal(await page.$$eval(".cm-coverage-gutter .coverage-count", (all) => all.length), 0);
  assert.equal(await page.$$eval(".cm-never-run", (all) => all.length), 0);
  assert.deepEqual(page.problems, []);
  await page.close();
});
