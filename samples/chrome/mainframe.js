// The main window's own script. It runs in the window's script engine while the window loads
// (after every element above its script element exists), with `window`, `document`, `Components`
// and `ScriptLoader` published. Its functions, called from the skin's handlers, place and show
// the window once it has loaded, fold the banner, answer the toolbar's buttons in the status bar,
// ask before the window closes and end the application when it has gone.
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
  document.getElementById("version").value = g_AppName + " " + g_AppVersion;
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

// The status bar's text.
function ShowStatus(text) {
  document.getElementById("status").value = text;
}

// The hello button's click handler: counts its clicks in the status bar.
var g_Hellos = 0;
function SayHello() {
  ++g_Hellos;
  ShowStatus("Hello! (" + g_Hellos + (g_Hellos == 1 ? " click)" : " clicks)"));
}

// The pin button checks and unchecks itself, keeping the window above the others while checked.
function TogglePin(button) {
  button.checked = !button.checked;
  window.topMost = button.checked;
  ShowStatus(button.checked ? "Pinned above other windows" : "Unpinned");
}

// The lock button disables the hello button while it is checked: a disabled button shows its
// disabled picture and caption colour and ignores the mouse.
function ToggleHelloLock(button) {
  button.checked = !button.checked;
  document.getElementById("helloButton").disabled = button.checked;
  ShowStatus(button.checked ? "The hello button is locked" : "The hello button is back");
}

function ShowAbout() {
  ShowStatus(g_AppName + " " + g_AppVersion + ": a skinned window drawn by the engine");
}

// The settings' click handlers: check boxes and radios have their new mark by the time "click"
// fires. The radios start with one of them checked.
function SettingChanged(control) {
  ShowStatus(control.id + (control.checked ? " on" : " off"));
}
