// Builds the playground page: one self-contained index.html with the
// editor bundle, the worker (the WebAssembly module's script, with the module
// inside it, and worker.js) and the styles inlined, so that it opens from
// file://, from any static server, and offline.
//
//   node build.mjs MODULE.js OUT_DIR
import { build } from "esbuild";
import { readFile, writeFile, mkdir } from "node:fs/promises";
import { fileURLToPath } from "node:url";
import path from "node:path";

const here = path.dirname(fileURLToPath(import.meta.url));
const [modulePath, outDir] = process.argv.slice(2);
if (!modulePath || !outDir) {
  console.error("usage: node build.mjs MODULE.js OUT_DIR");
  process.exit(2);
}

async function bundle(entry, define = {}) {
  const result = await build({
    entryPoints: [path.join(here, "web", entry)],
    bundle: true,
    write: false,
    format: "iife",
    minify: true,
    target: "es2020",
    loader: { ".frm": "text" },
    define,
    legalComments: "eof",
    logLevel: "warning",
  });
  return result.outputFiles[0].text;
}

// A script inside the page: "</script" would end its element (in the code
// it can only stand in strings and regular expressions, where "<\/" reads
// the same), and "<!--" would put the HTML parser into its escape states.
function inlineScript(text) {
  if (text.includes("<!--")) throw new Error("a script holds <!--, which cannot stand inline");
  return text.replace(/<\/script/gi, "<\\/script");
}

const moduleScript = await readFile(modulePath, "utf8");
const workerScript = moduleScript + "\n" + (await bundle("worker.js"));
const pageScript = await bundle("main.js");
const style = await readFile(path.join(here, "web", "style.css"), "utf8");
const template = await readFile(path.join(here, "web", "index.html"), "utf8");

const page = template
  .replace("/*@STYLE@*/", () => style)
  .replace("/*@WORKER@*/", () => inlineScript(workerScript))
  .replace("/*@SCRIPT@*/", () => inlineScript(pageScript));
await mkdir(outDir, { recursive: true });
await writeFile(path.join(outDir, "index.html"), page);
console.log(`${path.join(outDir, "index.html")}: ${(page.length / 1024).toFixed(0)} KiB`);
