// The page's worker: the compiler and the evaluator (the WebAssembly module,
// whose script stands before this one in the worker's source) answer the
// page's requests here, so that a long evaluation never holds the page.
//
// Request: { id, kind: "compile" | "evaluate" | "trace" | "csv" | "compare" | "repeat", ...texts }.
// Answer:  { id, result, errors, milliseconds }: the module's JSON result,
// what the run wrote on standard error (the evaluator's division message),
// and the time the call took. The first message, { ready: true }, says that
// the module is loaded; { failure } that it could not be.
/* global createPlaygroundModule */

let errors = [];
const modulePromise = createPlaygroundModule({
  print: () => {},
  printErr: (line) => errors.push(line),
});

const encoder = new TextEncoder();

// Calls an exported function with texts as (pointer, length) pairs and reads
// its JSON result.
function call(module, name, texts) {
  const pointers = [];
  try {
    const args = [];
    for (const text of texts) {
      const bytes = typeof text === "string" ? encoder.encode(text) : text;
      const pointer = module._malloc(bytes.length + 1);
      module.HEAPU8.set(bytes, pointer);
      pointers.push(pointer);
      args.push(pointer, bytes.length);
    }
    const result = module["_" + name](...args);
    const json = module.UTF8ToString(result);
    module._free(result);
    return JSON.parse(json);
  } finally {
    for (const pointer of pointers) module._free(pointer);
  }
}

const requests = {
  compile: (module, r) => call(module, "playground_compile", [r.source]),
  evaluate: (module, r) => call(module, "playground_evaluate", [r.symbols, r.code, r.inputs.join("\n")]),
  trace: (module, r) => call(module, "playground_trace", [r.symbols, r.code, r.inputs.join("\n")]),
  csv: (module, r) => call(module, "playground_csv", [r.source, r.fileName, new Uint8Array(r.csv)]),
  compare: (module, r) =>
    call(module, "playground_compare", [r.oldSource, r.newSource, r.fileName, new Uint8Array(r.csv)]),
  // For the benchmark: `count` runs of another request, and the time of one.
  repeat(module, r) {
    const start = performance.now();
    let result;
    for (let i = 0; i < r.count; ++i) result = requests[r.request.kind](module, r.request);
    return { result, millisecondsPerCall: (performance.now() - start) / r.count };
  },
};

modulePromise.then(
  (module) => {
    self.onmessage = (event) => {
      const request = event.data;
      errors = [];
      const start = performance.now();
      let result;
      try {
        result = requests[request.kind](module, request);
      } catch (error) {
        result = { failure: String(error) };
      }
      self.postMessage({ id: request.id, result, errors, milliseconds: performance.now() - start });
    };
    self.postMessage({ ready: true });
  },
  (error) => self.postMessage({ failure: String(error) }),
);
