// The page's number texts against formeval's: a native build of both, compared
// value by value (number_text_check.cpp).
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");

test("the page writes and reads numbers exactly as formeval does", () => {
  const folder = mkdtempSync(path.join(tmpdir(), "playground-numbers-"));
  try {
    const compiler = process.env.CXX || "c++";
    const build = (args) => spawnSync(compiler, ["-std=c++20", "-O2", "-Wall", "-Wextra", "-Werror", `-I${root}`, ...args],
      { encoding: "utf8" });
    let result = build(["-Dformeval=portable", "-c", path.join(root, "playground/wasm/number_text_portable.cpp"),
      "-o", path.join(folder, "portable.o")]);
    assert.equal(result.status, 0, result.stderr);
    const program = path.join(folder, "check");
    result = build([path.join(root, "playground/tests/number_text_check.cpp"),
      path.join(root, "tools/formeval/number_text.cpp"), path.join(folder, "portable.o"), "-o", program]);
    assert.equal(result.status, 0, result.stderr);
    result = spawnSync(program, { encoding: "utf8" });
    assert.equal(result.status, 0, result.stdout);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});
