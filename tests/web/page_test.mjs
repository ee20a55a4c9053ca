// The browser build in headless Chromium: the page animates the demo, a
// visitor's bitmaps restart it, Up and Down switch them, a scripted run's
// digest equals the desktop's, and broken or missing bitmaps (the hostile
// corpus included) end in the page's failure box with the slot's message.
//
//   node page_test.mjs MODULES DEMO_DIR DESKTOP_BUILD SCRATCH
// MODULES: where puppeteer-core is installed; DEMO_DIR: the built page;
// DESKTOP_BUILD: the desktop build (fractals-render, forge_bmp); SCRATCH: a
// folder for the served copies and the screenshot (page.png).
import test from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";

import { launch, openPage, serve } from "./browser.mjs";

const [modules, demo, desktop, scratch] = process.argv.slice(2).map(p => path.resolve(p));
const kNames = ["lsd.bmp", "logo.bmp", "lsd2.bmp", "logo2.bmp"];
const kPageFiles = fs.readdirSync(demo);
const kPatience = {timeout: 60000, polling: 50};  // a busy machine may be slow; never a fixed wait

// ---- served folders: the page with different bitmaps beside it ------------

fs.rmSync(scratch, {recursive: true, force: true});
fs.mkdirSync(scratch, {recursive: true});

function pageFolder(name, replace = {}) {
  const folder = path.join(scratch, name);
  fs.mkdirSync(folder);
  for (const file of kPageFiles) {
    if (file in replace) {
      if (replace[file] !== null) fs.writeFileSync(path.join(folder, file), replace[file]);
    } else {
      fs.symlinkSync(path.join(demo, file), path.join(folder, file));
    }
  }
}

const forge = path.join(desktop, "tests/hostile/forge_bmp");
const solid = (name, level) => {
  const file = path.join(scratch, name);
  execFileSync(forge, ["solid", file, "320", "240", level, level, level]);
  return file;
};
const black = solid("black.bmp", "0"), white = solid("white.bmp", "255");

pageFolder("default");
pageFolder("missing", {"logo.bmp": null});
pageFolder("corrupt", {"lsd2.bmp": fs.readFileSync(path.join(demo, "lsd2.bmp")).subarray(0, 1000)});
fs.mkdirSync(path.join(scratch, "hostile"));
execFileSync(forge, ["corpus", path.join(scratch, "hostile")]);

const server = await serve(scratch);
const chromium = await launch(modules);
test.after(async () => {
  await chromium.close();
  server.close();
});

// ---- what the page shows --------------------------------------------------

// The canvas: how many of its pixels are not black, and a hash of them all.
function canvasNow(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const bytes = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let lit = 0, hash = 2166136261;
    for (let i = 0; i < bytes.length; i += 4) {
      if (bytes[i] || bytes[i + 1] || bytes[i + 2]) ++lit;
      hash = Math.imul(hash ^ (bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16), 16777619);
    }
    return {lit, hash};
  });
}

function litCanvas(page, test, count) {
  return page.waitForFunction((test, count) => {
    const canvas = document.getElementById("screen");
    const bytes = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let lit = 0;
    for (let i = 0; i < bytes.length; i += 4) if (bytes[i] || bytes[i + 1] || bytes[i + 2]) ++lit;
    return test === "==" ? lit === count : test === ">=" ? lit >= count : lit > count;
  }, kPatience, test, count);
}

async function failureBox(page) {
  await page.waitForSelector("#failure:not([hidden])", kPatience);
  return page.evaluate(() => ({
    title: document.getElementById("failure-title").textContent,
    text: document.getElementById("failure-text").textContent,
    status: document.getElementById("status").textContent,
  }));
}

// ---- the tests ------------------------------------------------------------

test("the page animates the demo, says which keys do what, and names its version and licences", async () => {
  const page = await openPage(chromium.browser, server.url + "default/");
  await litCanvas(page, ">", 0);
  const first = await canvasNow(page);
  await page.waitForFunction(hash => {
    const canvas = document.getElementById("screen");
    const bytes = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let h = 2166136261;
    for (let i = 0; i < bytes.length; i += 4) h = Math.imul(h ^ (bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16), 16777619);
    return h !== hash;
  }, kPatience, first.hash);
  assert.match(await page.$eval(".keys", e => e.textContent), /Up.*first bitmap.*Down.*second/s);
  // The footer: the desktop's version, and the licences it links to beside the page.
  const version = execFileSync(path.join(desktop, "fractals-render"), ["--version"], {encoding: "utf8"})
    .trim().split(" ")[1];
  const footer = await page.$eval("footer", e => e.textContent);
  assert.ok(footer.includes(`Fractals ${version},`), footer);
  for (const [file, text] of [["LICENSE.txt", "MIT License"], ["SDL-COPYING.txt", "LESSER GENERAL PUBLIC"]]) {
    assert.match(await page.evaluate(async f => (await fetch(f)).text(), file), new RegExp(text));
  }
  await page.screenshot({path: path.join(scratch, "page.png"), fullPage: true});
  assert.deepEqual(page.consoleLines.filter(line => /^(error|pageerror):/.test(line)), []);
  await page.close();
});

test("the page's files, default bitmaps included, stay under 1.5 MB", t => {
  const bytes = kPageFiles.reduce((sum, file) => sum + fs.statSync(path.join(demo, file)).size, 0);
  t.diagnostic(`${kPageFiles.length} files, ${bytes} bytes`);
  assert.ok(bytes < 1.5e6, `${bytes} bytes`);
});

test("a visitor's own bitmaps restart the scene, and Up and Down switch them", async () => {
  const page = await openPage(chromium.browser, server.url + "default/");
  await litCanvas(page, ">", 0);
  const choices = {"lsd.bmp": black, "logo.bmp": white, "lsd2.bmp": black, "logo2.bmp": white};
  for (const [name, file] of Object.entries(choices)) {
    await (await page.$(`input[name="${name}"]`)).uploadFile(file);
  }
  await page.click("#bitmaps button[type=submit]");
  // Two black bitmaps mix to black; a white first one to white; a black
  // first one and a white second one to a wrapping value, not black.
  await litCanvas(page, "==", 0);
  await page.keyboard.press("ArrowUp");
  await litCanvas(page, ">=", 76000);
  await page.keyboard.press("ArrowUp");
  await litCanvas(page, "==", 0);
  await page.keyboard.press("ArrowDown");
  await litCanvas(page, ">", 0);
  await page.keyboard.press("ArrowDown");
  await litCanvas(page, "==", 0);
  await page.close();
});

test("a scripted run gives the desktop's digest for the same frames, bitmaps and keys", async t => {
  const keys = "30:up,60:down,99:up,99:down,250:down";
  const desktopRun = execFileSync(path.join(desktop, "fractals-render"),
    ["--images", demo, "--frames", "300", "--keys", keys, "--digest"], {encoding: "utf8"});
  const expected = /^digest: ([0-9a-f]{16})$/m.exec(desktopRun)[1];

  const page = await openPage(chromium.browser, server.url + `default/?frames=300&keys=${keys}`);
  await page.waitForFunction(() => document.body.dataset.digest, kPatience);
  const digest = await page.evaluate(() => document.body.dataset.digest);
  t.diagnostic(`desktop ${expected}, browser ${digest}`);
  assert.equal(digest, expected);
  assert.ok(page.consoleLines.includes(`log: digest: ${expected}`), page.consoleLines.join("\n"));
  t.diagnostic(page.consoleLines.find(line => / frames in /.test(line)));
  await page.close();
});

test("a missing bitmap ends in the failure box, with the loop stopped", async () => {
  const page = await openPage(chromium.browser, server.url + "missing/");
  const box = await failureBox(page);
  assert.deepEqual(box, {title: "Unhandled Exception", text: "Unhandled Exception: Couldnt load Bitmap\n",
                         status: "Stopped"});
  assert.ok(page.consoleLines.includes("error: Unhandled Exception: Couldnt load Bitmap\n"),
            page.consoleLines.join("\n"));
  assert.equal((await canvasNow(page)).lit, 0);
  await page.screenshot({path: path.join(scratch, "failure.png"), fullPage: true});
  await page.close();
});

test("a corrupt bitmap ends in the failure box with its slot's message", async () => {
  const page = await openPage(chromium.browser, server.url + "corrupt/");
  const box = await failureBox(page);
  assert.equal(box.text, "Unhandled Exception: Couldnt Load Bitmap\n");
  await page.close();
});

test("every hostile bitmap in every slot renders or gives the slot's message", async t => {
  const page = await openPage(chromium.browser, server.url + "default/?frames=2");
  await page.waitForFunction(() => document.body.dataset.digest, kPatience);
  const cases = fs.readFileSync(path.join(scratch, "hostile/cases.txt"), "utf8").trim().split("\n")
    .map(line => line.split(" "));
  const outcomes = {rendered: 0, refused: 0};
  for (const slot of kNames) {
    const message = slot.includes("2") ? "Couldnt Load Bitmap" : "Couldnt load Bitmap";
    for (const [name, expect] of cases) {
      const outcome = await page.evaluate(async (slot, name) => {
        const bytes = new Uint8Array(await (await fetch(`../hostile/${name}.bmp`)).arrayBuffer());
        const files = {};
        for (const other of kBitmaps) files[other] = Module.FS.readFile("/bitmaps/" + other);
        files[slot] = bytes;
        writeFolder("/case", files);
        delete document.body.dataset.digest;
        start("/case");
        return "started";
      }, slot, name);
      assert.equal(outcome, "started");
      await page.waitForFunction(
        () => document.body.dataset.digest || !document.getElementById("failure").hidden, kPatience);
      const result = await page.evaluate(() => document.getElementById("failure").hidden
        ? "rendered" : document.getElementById("failure-text").textContent);
      const refused = result === `Unhandled Exception: ${message}\n`;
      assert.ok(result === "rendered" || refused, `${name} as ${slot}: ${result}`);
      if (expect === "render") assert.equal(result, "rendered", `${name} as ${slot}`);
      if (expect === "fail") assert.ok(refused, `${name} as ${slot}: ${result}`);
      ++outcomes[refused ? "refused" : "rendered"];
    }
  }
  t.diagnostic(`${cases.length} cases in 4 slots: ${outcomes.rendered} rendered, ${outcomes.refused} refused`);
  await page.close();
});
