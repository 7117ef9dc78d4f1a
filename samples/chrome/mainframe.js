// The main window's own script. It runs in the window's script engine while the window loads
// (after every element above its script element exists), with `window`, `document`, `Components`
// and `ScriptLoader` published. It places the window and shows it.
$uses("lib/version.js");

// Where the main window goes: centred on the screen it is on, when the screen can be asked,
// otherwise at the place the skin gives the window element.
function MainFramePlacement() {
  var place = { left: 100, top: 100, width: 640, height: 420 };
  try {
    var screen = window.screen;
    place.left = screen.availLeft + Math.floor((screen.availWidth - place.width) / 2);
    place.top = screen.availTop + Math.floor((screen.availHeight - place.height) / 2);
  } catch (e) {
  }
  return place;
}

function ShowMainFrame() {
  var place = MainFramePlacement();
  window.moveSizeTo(place.left, place.top, place.width, place.height, 0);
  var version = document.getElementById("version");
  try {
    version.value = g_AppName + " " + g_AppVersion;
  } catch (e) {
    // Labels do not take text from scripts yet; the version stays blank until they do.
  }
  window.visible = true;
}

// The logo's click handler: folds the banner and its headline away, or brings them back. The
// logo remembers its state in a property of its own.
function ToggleBanner(logo) {
  logo.folded = !logo.folded;
  document.getElementById("banner").visible = !logo.folded;
  document.getElementById("headline").visible = !logo.folded;
}

ShowMainFrame();
