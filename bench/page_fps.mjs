// Opens the page in headless Chromium twice and prints its frame rates: the
// scripted run (?frames=N&keys=...), as the page logs it when done, and the
// page as a visitor sees it, counting the frames it shows over a few seconds.
//   node page_fps.mjs MODULES DEMO_DIR FRAMES KEYS
import path from "node:path";

import { launch, openPage, serve } from "../tests/web/browser.mjs";

const [modules, demo, frames, keys] = process.argv.slice(2);
const kLiveSeconds = 3;
const server = await serve(path.resolve(demo));
const chromium = await launch(path.resolve(modules));
try {
  const version = await chromium.browser.version();
  const scripted = await openPage(chromium.browser, `${server.url}?frames=${frames}&keys=${keys}`);
  await scripted.waitForFunction(() => document.body.dataset.digest, {timeout: 600000, polling: 100});
  for (const line of scripted.consoleLines.filter(line => line.startsWith("log: "))) {
    console.log(`${version}, page: ${line.slice(5)}`);
  }
  await scripted.close();

  const live = await openPage(chromium.browser, server.url);
  await live.waitForFunction(() => document.getElementById("status").textContent === "Running",
                             {timeout: 60000, polling: 100});
  const shown = await live.evaluate(seconds => new Promise(resolve => {
    const show = Module.showFrame;
    let count = 0;
    Module.showFrame = (...args) => { ++count; show(...args); };
    setTimeout(() => resolve(count), seconds * 1000);
  }), kLiveSeconds);
  console.log(`${version}, live page: ${shown} frames shown in ${kLiveSeconds} s: ` +
              `${(shown / kLiveSeconds).toFixed(1)} frames/s`);
} finally {
  await chromium.close();
  server.close();
}
