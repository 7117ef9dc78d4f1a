// The main window's own script. It runs in the window's script engine while the window loads
// (after every element above its script element exists), with `window`, `document`, `Components`
// and `ScriptLoader` published. Its functions, called from the skin's handlers, place and show
// the window once it has loaded, fold the banner, ask before the window closes and end the
// application when it has gone.
$uses("lib/version.js");

// Where the main window goes: centred on the work area of the screen it is on, when the screen
// can be asked, otherwise where the skin's window element put it.
function MainFramePlacement() {
  var place = { left: window.screenLeft, top: window.screenTop,
                width: window.outerWidth, height: window.outerHeight };
  try {
    var screen = window.screen;
    place.left = screen.availLeft + Math.floor((screen.availWidth - place.width) / 2);
    place.top = screen.availTop + Math.floor((screen.availHeight - place.height) / 2);
  } catch (e) {
  }
  return place;
}

// The window element's "load" handler: the window has its size from the skin by now.
function ShowMainFrame() {
  var place = MainFramePlacement();
  window.moveTo(place.left, place.top);
  document.getElementById("smallIcons").checked = true;
  var version = document.getElementById("version");
  try {
    version.value = g_AppName + " " + g_AppVersion;
  } catch (e) {
    // Labels do not take text from scripts yet; the version stays blank until they do.
  }
  window.visible = true;
}

// The window element's "close" handler: the first request only asks; closing again within a
// few seconds confirms it.
var g_CloseAskedAt = 0;
function MainFrameMayClose() {
  var now = new Date().getTime();
  if (now - g_CloseAskedAt < 5000) return true;
  window.alert("Close " + g_AppName + "? Click the close button again within 5 seconds to close.",
               g_AppName);
  g_CloseAskedAt = new Date().getTime();
  return false;
}

// The main window has gone: so does the application.
function MainFrameClosed() {
  try {
    Components.GetService("msgManager").Quit(true);
  } catch (e) {
  }
}

// The logo's click handler: folds the banner and its headline away, or brings them back. The
// logo remembers its state in a property of its own.
function ToggleBanner(logo) {
  logo.folded = !logo.folded;
  document.getElementById("banner").visible = !logo.folded;
  document.getElementById("headline").visible = !logo.folded;
}

// The settings' click handlers: check boxes and radios have their new mark by the time "click"
// fires. The radios start with one of them checked.
function SettingChanged(control) {
  var status = document.getElementById("status");
  try {
    status.value = control.id + (control.checked ? " on" : " off");
  } catch (e) {
    // Labels do not take text from scripts yet.
  }
}

// The recent list is a widget: a list from the component runtime in a native window of its own.
// Its methods are called on the element; choosing a line raises "select" (index, text).
function FillRecent() {
  var recent = document.getElementById("recent");
  try {
    var lines = ["Splitters divide a window into panes",
                 "Widgets host components in native windows",
                 "Drag the bar to resize the panes"];
    for (var i = 0; i < lines.length; ++i) recent.addItem(lines[i]);
  } catch (e) {
    // No component runtime list: the widget stays empty.
  }
}
FillRecent();

function RecentChosen(index, text) {
  var status = document.getElementById("status");
  try {
    status.value = "Line " + (index + 1) + ": " + text;
  } catch (e) {
    // Labels do not take text from scripts yet.
  }
}
