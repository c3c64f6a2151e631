// formeval --trace's text as a table: one row per instruction (its address,
// kind, operand, the stack after it, the assignment it made), the inputs
// above and the output below. The rows whose instruction met a zero divisor,
// as the evaluator reported them, carry the division message.

const instructionLine = /^Trc: *(\d+) +(\S+) +(\S*) \[(.*)\]$/;
const valueLine = /^(Inp|Ass|Out): (.*)$/;

// { inputs: [text], rows: [{ address, kind, operand, stack, assignments }], output }
export function parseTrace(text) {
  const trace = { inputs: [], rows: [], output: null };
  for (const line of text.split("\n")) {
    const instruction = instructionLine.exec(line);
    if (instruction) {
      const [, address, kind, operand, stack] = instruction;
      trace.rows.push({ address: Number(address), kind, operand, stack, assignments: [] });
      continue;
    }
    const value = valueLine.exec(line);
    if (!value) continue;
    if (value[1] === "Inp") trace.inputs.push(value[2]);
    else if (value[1] === "Ass" && trace.rows.length) trace.rows[trace.rows.length - 1].assignments.push(value[2]);
    else if (value[1] === "Out") trace.output = value[2];
  }
  return trace;
}

function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text;
  if (className) td.className = className;
  return td;
}

// Fills `table` (thead and tbody) with at most `limit` rows; returns the number
// shown. `zeroDivisorSteps`: the rows (counted from 1) that met a zero divisor.
export function renderTrace(table, trace, zeroDivisorSteps, divisionMessage, limit) {
  const body = table.tBodies[0];
  body.replaceChildren();
  const divided = new Set(zeroDivisorSteps);
  const shown = Math.min(trace.rows.length, limit);
  for (let i = 0; i < shown; ++i) {
    const step = trace.rows[i];
    const row = body.insertRow();
    cell(row, String(i + 1), "number");
    cell(row, String(step.address), "number");
    cell(row, step.kind);
    cell(row, step.operand);
    cell(row, "[" + step.stack + "]", "stack");
    cell(row, step.assignments.join("; "));
    if (divided.has(i + 1)) {
      row.classList.add("division");
      cell(row, divisionMessage, "message");
    } else {
      cell(row, "");
    }
  }
  return shown;
}
