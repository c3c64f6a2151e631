// The example formulas of examples/, taken into the page when it is built.
import calc from "../../examples/calc.frm";
import discount from "../../examples/discount.frm";
import interest from "../../examples/interest.frm";
import premium from "../../examples/premium.frm";

export const examples = [
  { file: "calc.frm", source: calc, inputs: ["21"] },
  { file: "discount.frm", source: discount, inputs: ["120", "9.99", "0"] },
  { file: "interest.frm", source: interest, inputs: ["1000", "3.5", "10"] },
  { file: "premium.frm", source: premium, inputs: ["40", "3", "150000"] },
];
