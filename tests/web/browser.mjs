// Shared by the page tests and the page benchmark: a private HTTP server on
// 127.0.0.1 and a headless Chromium of Debian's that never touches the
// caller's screen, profile or network. Everything started is ended by its
// own handle.
import { spawn } from "node:child_process";
import { createRequire } from "node:module";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

// python3 -m http.server on a port the system picks; resolves once it listens.
export function serve(root) {
  const server = spawn("python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", root],
                       {stdio: ["ignore", "pipe", "pipe"]});
  return new Promise((resolve, reject) => {
    let said = "";
    server.stdout.on("data", data => {
      said += data;
      const port = /port (\d+)/.exec(said);
      if (port) resolve({url: `http://127.0.0.1:${port[1]}/`, close: () => server.kill()});
    });
    server.on("exit", status => reject(new Error(`http.server ended (${status}) before listening`)));
  });
}

// Headless Chromium with a fresh profile, removed when the process exits,
// a failure included. `modules` is the folder whose node_modules holds
// puppeteer-core.
export async function launch(modules) {
  const puppeteer = createRequire(path.join(modules, "/"))("puppeteer-core");
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "fractals-chromium-"));
  const removeProfile = () => fs.rmSync(profile, {recursive: true, force: true});
  process.once("exit", removeProfile);
  const env = {...process.env};
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    env,
    args: [
      ...(process.getuid() === 0 ? ["--no-sandbox"] : []),  // Chromium's sandbox refuses root
      "--disable-gpu", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--no-first-run",
    ],
  });
  return {
    browser,
    async close() {
      await browser.close();
      removeProfile();
    },
  };
}

// A page whose console lines are kept, in order, as "type: text".
export async function openPage(browser, url) {
  const page = await browser.newPage();
  page.consoleLines = [];
  page.on("console", message => page.consoleLines.push(`${message.type()}: ${message.text()}`));
  page.on("pageerror", error => page.consoleLines.push(`pageerror: ${error.message}`));
  await page.goto(url);
  return page;
}
