// formeval --trace's text as a table: one row per instruction (its address,
// kind, operand, the stack after it, the assignment it made), the inputs
// above and the output below. DIV and MODOPER rows that met a zero divisor
// carry the division message.

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

// The top value of a stack as the trace shows it ("+N: a b c" when deep), 0 when empty.
function topOfStack(stack) {
  const values = stack.replace(/^\+\d+: /, "").split(" ").filter((value) => value !== "");
  return values.length ? Number(values[values.length - 1]) : 0;
}

function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text;
  if (className) td.className = className;
  return td;
}

// Fills `table` (thead and tbody) with at most `limit` rows; returns the number shown.
export function renderTrace(table, trace, divisionMessage, limit) {
  const body = table.tBodies[0];
  body.replaceChildren();
  let previousStack = "";
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
    const divides = step.kind === "Operatore" && (step.operand === "DIV" || step.operand === "MODOPER");
    if (divides && topOfStack(previousStack) === 0) {
      row.classList.add("division");
      cell(row, divisionMessage, "message");
    } else {
      cell(row, "");
    }
    previousStack = step.stack;
  }
  return shown;
}
