// formcomp and formeval of the native build, run as a user runs them, for the
// results the page must reproduce.
import { spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync, existsSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const formcomp = process.env.FORMCOMP || path.join(root, "build/release/compiler/formcomp");
const formeval = process.env.FORMEVAL || path.join(root, "build/release/tools/formeval");

export const toolsFound = existsSync(formcomp) && existsSync(formeval);

function run(program, args, folder, input) {
  const result = spawnSync(program, args, { cwd: folder, input, maxBuffer: 256 << 20, timeout: 60000 });
  return { status: result.status, stdout: result.stdout.toString("utf8"), stderr: result.stderr.toString("utf8") };
}

// Compiles `source` (text or bytes) in a folder of its own; the files it wrote are read back.
export function compile(source, options = []) {
  const folder = mkdtempSync(path.join(tmpdir(), "playground-formcomp-"));
  const result = run(formcomp, options, folder, Buffer.from(source));
  return { folder, ...result, file: (name) => readFileSync(path.join(folder, name)) };
}

export function evaluate(folder, name, inputs) {
  return run(formeval, [name, ...inputs], folder);
}

export function trace(folder, name, inputs) {
  return run(formeval, ["--trace", name, ...inputs], folder);
}

// formeval --csv on `csv`, written to FILE_NAME in the formula's folder.
export function evaluateCsv(folder, name, fileName, csv) {
  const csvPath = path.join(folder, fileName);
  writeFileSync(csvPath, csv);
  return { path: csvPath, ...run(formeval, ["--csv", name, fileName], folder) };
}

// formeval --compare BEFORE AFTER FILE.csv, the two formulas named by their
// paths (NAME.sym and NAME.obj in each folder), run in the CSV file's folder.
export function compare(before, after, csvPath) {
  return run(formeval, ["--compare", before, after, path.basename(csvPath)], path.dirname(csvPath));
}

// formeval --coverage SOURCE.frm FILE.csv on `source`, written beside the CSV file.
export function coverage(source, csvPath) {
  const sourcePath = path.join(path.dirname(csvPath), "coverage-source.frm");
  writeFileSync(sourcePath, source);
  return run(formeval, ["--coverage", sourcePath, csvPath], path.dirname(csvPath));
}
