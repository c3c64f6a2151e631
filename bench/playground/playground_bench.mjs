// The playground's times in the browser (Debian's Chromium, headless): how
// long the page takes to become ready, and what one compile, evaluation,
// trace and CSV run of the examples cost inside the worker (the call into
// the WebAssembly module with its texts and its JSON result) and seen from
// the page (with the message to the worker and back). Medians of repeated runs.
//
//   bash scripts/playground.sh && node bench/playground/playground_bench.mjs
import { readFileSync, statSync } from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { startBrowser, openPlayground } from "../../playground/chromium.mjs";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const examples = [
  { file: "calc.frm", inputs: ["21"] },
  { file: "discount.frm", inputs: ["120", "9.99", "0"] },
  { file: "interest.frm", inputs: ["1000", "3.5", "10"] },
  { file: "premium.frm", inputs: ["40", "3", "150000"] },
];
const rounds = 7;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const microseconds = (milliseconds) => `${(milliseconds * 1000).toFixed(1)} µs`;

const browser = await startBrowser();
try {
  const ready = [];
  for (let i = 0; i < rounds; ++i) {
    const page = await openPlayground(browser);
    ready.push(await page.evaluate(() => window.playground.readyMilliseconds));
    await page.close();
  }
  const page = await openPlayground(browser);
  const pageBytes = statSync(path.join(root, "out/playground/index.html")).size;
  // The module travels inside the worker's script as base64.
  const moduleScript = readFileSync(path.join(root, "build/playground/playground_module.js"), "utf8");
  const base64 = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(moduleScript)[1];
  const moduleBytes = Buffer.from(base64, "base64").length;
  console.log(`page: ${(pageBytes / 1024).toFixed(0)} KiB, WebAssembly module ${(moduleBytes / 1024).toFixed(0)} KiB`);
  console.log(`ready after loading starts: ${median(ready).toFixed(0)} ms (median of ${rounds})`);
  console.log("");
  console.log("formula        compile     evaluate    trace       round trip (evaluate)");

  for (const { file, inputs } of examples) {
    const source = readFileSync(path.join(root, "examples", file), "utf8");
    const row = await page.evaluate(async ({ source, inputs, rounds }) => {
      const { request } = window.playground;
      const perCall = async (kind, fields, count) => {
        const times = [];
        for (let i = 0; i < rounds; ++i)
          times.push((await request("repeat", { request: { kind, ...fields }, count })).result.millisecondsPerCall);
        return times.sort((a, b) => a - b)[Math.floor(times.length / 2)];
      };
      const compiled = (await request("compile", { source })).result;
      const texts = { symbols: compiled.symbols, code: compiled.code, inputs };
      const trips = [];
      for (let i = 0; i < 200; ++i) {
        const start = performance.now();
        await request("evaluate", texts);
        trips.push(performance.now() - start);
      }
      return {
        compile: await perCall("compile", { source }, 200),
        evaluate: await perCall("evaluate", texts, 2000),
        trace: await perCall("trace", texts, 200),
        trip: trips.sort((a, b) => a - b)[100],
      };
    }, { source, inputs, rounds });
    console.log(`${file.padEnd(14)} ${microseconds(row.compile).padEnd(11)} ${microseconds(row.evaluate).padEnd(11)} ` +
      `${microseconds(row.trace).padEnd(11)} ${microseconds(row.trip)}`);
  }

  // A CSV file of 10,000 rows through premium.frm, as the page's CSV test runs it.
  const premium = readFileSync(path.join(root, "examples/premium.frm"), "utf8");
  let csv = "eta,anni_senza_sinistri,capitale\n";
  for (let i = 0; i < 10000; ++i) csv += `${18 + (i % 70)},${i % 15},${1000 + i * 37.5}\n`;
  const csvTimes = await page.evaluate(async ({ source, csv, rounds }) => {
    const { request } = window.playground;
    const bytes = new TextEncoder().encode(csv);
    const times = [];
    for (let i = 0; i < rounds; ++i) {
      const answer = await request("csv", { source, fileName: "rows.csv", csv: bytes });
      times.push(answer.milliseconds);
    }
    return times.sort((a, b) => a - b)[Math.floor(times.length / 2)];
  }, { source: premium, csv, rounds });
  console.log("");
  console.log(`CSV of 10,000 rows (premium.frm): ${csvTimes.toFixed(1)} ms, ${microseconds(csvTimes / 10000)} a row`);
  // Compare: premium.frm against a version whose older drivers pay more.
  const compareTimes = await page.evaluate(async ({ source, csv, rounds }) => {
    const { request } = window.playground;
    const revised = source.replace("tasso = 3.8;", "tasso = 4.1;");
    const bytes = new TextEncoder().encode(csv);
    const times = [];
    for (let i = 0; i < rounds; ++i) {
      const answer = await request("compare", { oldSource: source, newSource: revised, fileName: "rows.csv", csv: bytes });
      times.push(answer.milliseconds);
    }
    return times.sort((a, b) => a - b)[Math.floor(times.length / 2)];
  }, { source: premium, csv, rounds });
  console.log(`Compare of 10,000 rows (premium.frm, two versions): ${compareTimes.toFixed(1)} ms, ${microseconds(compareTimes / 10000)} a row`);
  await page.close();
} finally {
  await browser.close();
}
