// The result of a Compare: the count of rows that changed, a histogram of
// the differences (NEW - OLD) drawn by Chart.js, and a table of the largest
// changes. The bins come from the worker (compare_request.h): bin i holds
// the differences d with edges[i] <= d < edges[i + 1], the last bin its upper
// edge too.
import { Chart, BarController, BarElement, CategoryScale, LinearScale, Tooltip } from "chart.js";

Chart.register(BarController, BarElement, CategoryScale, LinearScale, Tooltip);

let chart = null;

const short = (value) => String(Number(value.toPrecision(6)));

function binLabels(edges) {
  const labels = [];
  for (let i = 0; i + 1 < edges.length; ++i) labels.push(`${short(edges[i])} … ${short(edges[i + 1])}`);
  return labels;
}

function drawHistogram(canvas, histogram) {
  if (chart) chart.destroy();
  chart = null;
  if (!histogram.counts.length) return;
  chart = new Chart(canvas, {
    type: "bar",
    data: {
      labels: binLabels(histogram.edges),
      datasets: [{ label: "rows", data: histogram.counts, backgroundColor: "#3b6db3", categoryPercentage: 1, barPercentage: 0.95 }],
    },
    options: {
      animation: false,
      responsive: true,
      maintainAspectRatio: false,
      plugins: { tooltip: { enabled: true } },
      scales: {
        x: { title: { display: true, text: "difference (after − before)" } },
        y: { beginAtZero: true, ticks: { precision: 0 }, title: { display: true, text: "rows" } },
      },
    },
  });
  chart.edges = histogram.edges;
}

function renderLargest(table, inputNames, largest) {
  table.replaceChildren();
  if (!largest.length) return;
  const head = table.createTHead().insertRow();
  for (const name of ["row", ...inputNames, "before", "after", "difference"]) {
    const th = document.createElement("th");
    th.textContent = name;
    head.append(th);
  }
  const body = table.createTBody();
  for (const change of largest) {
    const row = body.insertRow();
    row.dataset.row = change.line;
    for (const text of [change.line, ...change.inputs, change.before, change.after, change.difference]) {
      const cell = row.insertCell();
      cell.textContent = String(text);
      cell.className = "number";
    }
  }
}

// Shows a Compare's result (or clears the view with null).
export function showComparison(elements, result) {
  const { changed, chartCanvas, notNumbers, largest } = elements;
  if (!result) {
    changed.textContent = "";
    notNumbers.textContent = "";
    drawHistogram(chartCanvas, { edges: [], counts: [] });
    largest.replaceChildren();
    return;
  }
  changed.textContent = `${result.differing} of ${result.rows} rows changed`;
  changed.dataset.differing = String(result.differing);
  notNumbers.textContent = result.histogram.not_numbers
    ? `${result.histogram.not_numbers} changed rows without a numeric difference (NaN or infinity) are not in the histogram`
    : "";
  drawHistogram(chartCanvas, result.histogram);
  const header = result.csv.slice(0, result.csv.indexOf("\n")).split(",");
  renderLargest(largest, header.slice(0, header.length - 3), result.largest);
}

// The histogram as drawn: its bin edges and the bars' counts (for tests).
export function drawnHistogram() {
  if (!chart) return null;
  return { edges: chart.edges, labels: [...chart.data.labels], counts: [...chart.data.datasets[0].data] };
}
