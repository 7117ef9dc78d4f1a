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
  document.getElementById("bannerItem").checked = !logo.folded;
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

// What the menus and shortcuts did, shown in the status bar (or in the window title while labels
// take no text from scripts).
var g_StatusMode = "quiet";
function SetStatus(text) {
  if (g_StatusMode == "chatty") text += " (" + new Date().toLocaleTimeString() + ")";
  try {
    document.getElementById("status").value = text;
  } catch (e) {
    window.title = g_AppName + " - " + text;
  }
}

function NewDocument() { SetStatus("New document"); }
function Reload() { SetStatus("Reloaded"); }
function SaveAll() { SetStatus("Saved everything"); }
function ShowAbout() { window.alert(g_AppName + " " + g_AppVersion, g_AppName); }

// The radio items of Edit > Status: the chosen one is checked, the other not.
function SetStatusMode(item) {
  var quiet = document.getElementById("quietItem");
  var chatty = document.getElementById("chattyItem");
  quiet.checked = item === quiet;
  chatty.checked = item === chatty;
  g_StatusMode = item === quiet ? "quiet" : "chatty";
  SetStatus("Status mode: " + g_StatusMode);
}

// The panel's right press: its context menu at the pointer.
function ShowContextMenu() {
  document.getElementById("contextPopup").openPopupAtScreen(-1, -1);
}
