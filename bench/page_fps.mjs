// Opens the page's scripted run (?frames=N&keys=...) in headless Chromium
// and prints the frame rate the page logs when it is done.
//   node page_fps.mjs MODULES DEMO_DIR FRAMES KEYS
import path from "node:path";

import { launch, openPage, serve } from "../tests/web/browser.mjs";

const [modules, demo, frames, keys] = process.argv.slice(2);
const server = await serve(path.resolve(demo));
const chromium = await launch(path.resolve(modules));
try {
  const page = await openPage(chromium.browser, `${server.url}?frames=${frames}&keys=${keys}`);
  await page.waitForFunction(() => document.body.dataset.digest, {timeout: 600000, polling: 100});
  const version = await chromium.browser.version();
  for (const line of page.consoleLines.filter(line => line.startsWith("log: "))) {
    console.log(`${version}, page: ${line.slice(5)}`);
  }
} finally {
  await chromium.close();
  server.close();
}
