// Debian's Chromium, headless, driven through the DevTools protocol by
// playwright-core (which downloads no browser of its own), with a fresh
// profile and no background traffic.
import { chromium } from "playwright-core";
import { mkdtempSync, rmSync, mkdirSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..");
export const pageUrl = pathToFileURL(path.join(root, "out/playground/index.html")).href;
export const screenshotFolder = path.join(root, "build/playground/screenshots");

const flags = [
  "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
];

export async function startBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), "playground-profile-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: flags,
    acceptDownloads: true,
    viewport: { width: 1400, height: 900 },
  });
  // Every address the pages ask for: the page itself and its worker only.
  const requests = [];
  context.on("request", (request) => requests.push(request.url()));
  return {
    context,
    requests,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page of the playground, loaded and idle.
export async function openPlayground(browser, url = pageUrl) {
  const page = await browser.context.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(error.message));
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.loaded === "true", null, { timeout: 30000 });
  await settled(page);
  page.problems = problems;
  return page;
}

export const settled = (page) => page.evaluate(() => window.playground.settled());

export async function screenshot(page, name) {
  mkdirSync(screenshotFolder, { recursive: true });
  await page.screenshot({ path: path.join(screenshotFolder, name + ".png") });
}

// The text of a download started by clicking `selector`.
export async function downloaded(page, selector) {
  const [download] = await Promise.all([page.waitForEvent("download"), page.click(selector)]);
  const { readFile } = await import("node:fs/promises");
  return { name: download.suggestedFilename(), bytes: await readFile(await download.path()) };
}
