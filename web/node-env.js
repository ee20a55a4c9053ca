// Linked into the Node programs: they see the environment they were started
// with, as native programs do (Emscripten otherwise gives a fixed one). ENV
// exists only in programs that read the environment.
Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(() => {
  if (typeof ENV !== "undefined") Object.assign(ENV, process.env);
});
