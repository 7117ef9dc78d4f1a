// The prelude: the first script of every engine. It is kept as UTF-8 here and stored in ui.dll
// as UTF-16LE with a byte-order mark, the form every script of the engine takes.

// Loads a script from the "chrome" folder beside the program. A missing or failing script never
// stops the caller.
function $include(name) {
  try {
    ScriptLoader.LoadSubScript(name);
  } catch (e) {
  }
}

// The scripts $uses has loaded in this engine, by the name they were asked for.
var g_UsedLibs = {};

// Loads a script at most once per engine; it counts as used even when loading it failed.
function $uses(fileName) {
  if (g_UsedLibs[fileName] == null) {
    $include(fileName);
    g_UsedLibs[fileName] = true;
  }
}
