// The page around the demo: fetches the four bitmaps that lie beside it,
// hands them to the program, shows its frames on the canvas and its failure
// box on the page, and restarts it with bitmaps a visitor chooses.
"use strict";

// The four bitmaps, named by the form that lets a visitor replace them.
const kBitmaps = Array.from(document.querySelectorAll("#bitmaps input[type=file]"),
                           input => input.name);
const address = new URLSearchParams(location.search);
const canvas = document.getElementById("screen");
const context = canvas.getContext("2d");
// The canvas's pixels: the program's own bytes, seen in place rather than
// copied; made again only if they move (the memory grew) or change size.
let image = null;

function setStatus(text) { document.getElementById("status").textContent = text; }

// Fetched when the page starts, so whoever hosts the page can swap them. A
// missing one is left out: the program reports it as it would on a desktop.
const defaultBitmaps = Promise.all(kBitmaps.map(async name => {
  try {
    const response = await fetch(name, {cache: "no-cache"});
    return response.ok ? [name, new Uint8Array(await response.arrayBuffer())] : [name, null];
  } catch (error) {
    return [name, null];
  }
}));

function writeFolder(folder, files) {
  if (!Module.FS.analyzePath(folder).exists) Module.FS.mkdir(folder);
  for (const name of kBitmaps) {
    const path = folder + "/" + name;
    if (Module.FS.analyzePath(path).exists) Module.FS.unlink(path);
    if (files[name]) Module.FS.writeFile(path, files[name]);
  }
}

function start(folder) {
  document.getElementById("failure").hidden = true;
  const scripted = address.has("frames") || address.has("keys");
  setStatus(scripted ? "Rendering…" : "Running");
  Module.ccall("fractals_start", null, ["string", "string", "string"],
               [folder, address.get("frames") || "", address.get("keys") || ""]);
}

var Module = {
  showFrame(rgba, width, height) {
    if (!image || image.data.buffer !== rgba.buffer || image.data.byteOffset !== rgba.byteOffset ||
        image.width !== width || image.height !== height)
      image = new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
                            width, height);
    context.putImageData(image, 0, 0);
  },

  showFailure(title, text) {
    document.getElementById("failure-title").textContent = title;
    document.getElementById("failure-text").textContent = text;
    document.getElementById("failure").hidden = false;
    setStatus("Stopped");
  },

  // The end of a scripted run (frames=N, keys=... in the address).
  showDigest(frames, hex) {
    document.body.dataset.digest = hex;
    setStatus("Rendered " + frames + " frames: digest " + hex);
  },

  // A crash of the program itself: shown like a failure, never a silent hang.
  onAbort(what) {
    Module.showFailure("Unhandled Exception", String(what));
  },

  async onRuntimeInitialized() {
    const files = Object.fromEntries(await defaultBitmaps);
    writeFolder("/bitmaps", files);
    start("/bitmaps");
  },
};

document.getElementById("failure-ok").addEventListener("click", () => {
  document.getElementById("failure").hidden = true;
});

document.getElementById("bitmaps").addEventListener("submit", async event => {
  event.preventDefault();
  const files = Object.fromEntries(await defaultBitmaps);
  for (const input of event.target.querySelectorAll("input[type=file]")) {
    if (input.files.length > 0) files[input.name] = new Uint8Array(await input.files[0].arrayBuffer());
  }
  writeFolder("/chosen", files);
  start("/chosen");
});
