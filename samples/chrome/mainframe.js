// The main window's own script. It runs in the window's script engine while the window loads
// (after every element above its script element exists), with `window`, `document`, `Components`
// and `ScriptLoader` published. Its functions, called from the skin's handlers, place and show
// the window once it has loaded, open the tool window docked on its right edge, keep the status
// bar's clock, open the About window, fold the banner, answer the toolbar's buttons in the status
// bar, ask with a dialog before the window closes and end the application when it has gone.
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

// The status bar's clock, "hh:mm:ss", set every second by an interval.
function UpdateClock() {
  var now = new Date();
  var parts = [now.getHours(), now.getMinutes(), now.getSeconds()];
  for (var i = 0; i < parts.length; i++) parts[i] = (parts[i] < 10 ? "0" : "") + parts[i];
  document.getElementById("clock").value = parts.join(":");
}

// The window element's "load" handler: the window has its size from the skin by now.
function ShowMainFrame() {
  var place = MainFramePlacement();
  window.moveTo(place.left, place.top);
  document.getElementById("smallIcons").checked = true;
  document.getElementById("version").value = g_AppName + " " + g_AppVersion;
  UpdateClock();
  window.setInterval("UpdateClock()", 1000);
  window.visible = true;
  // The tool window opens once the main window has painted: a timeout's platform timer comes
  // after pending paints, so the main window shows without waiting for the second load.
  window.setTimeout("OpenTools()", 0);
}

// The tool window (tools.xml) is owned by this window and docks itself on its right edge. Its
// buttons call ToolCommand: a property of this window's object, because another window sees
// this window's members and properties but not its script variables.
var g_Tools = null;
function OpenTools() {
  try {
    g_Tools = window.open("tools.xml", "", "owner");
  } catch (e) {
    // An install without the tool window runs without it.
  }
}

window.ToolCommand = function (name) {
  if (name == "pin") TogglePin(document.getElementById("pinButton"));
  else if (name == "about") ShowAbout();
  else if (name == "troubleshoot") window.showTroubleShooter();
  else if (name == "hello") SayHello();
};

// The About button's click handler: one About window at a time, centred over this one.
var g_AboutWindow = null;
function ShowAbout() {
  if (g_AboutWindow != null && g_AboutWindow.visible) {
    g_AboutWindow.activated = true;
    return;
  }
  g_AboutWindow = window.open("about.xml", "", "center");
}

// The window element's "close" handler: a modal dialog asks first, and only a confirmed answer
// lets the window close.
function MainFrameMayClose() {
  var answer = window.showModalDialog("confirm.xml", { question: "Close " + g_AppName + "?" });
  if (answer === true) return true;
  ShowStatus("Still here.");
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
  // The tool window's pin shows the same state.
  try {
    g_Tools.document.getElementById("pinButton").checked = button.checked;
  } catch (e) {
  }
  ShowStatus(button.checked ? "Pinned above other windows" : "Unpinned");
}

// The lock button disables the hello button while it is checked: a disabled button shows its
// disabled picture and caption colour and ignores the mouse.
function ToggleHelloLock(button) {
  button.checked = !button.checked;
  document.getElementById("helloButton").disabled = button.checked;
  ShowStatus(button.checked ? "The hello button is locked" : "The hello button is back");
}

// The settings' click handlers: check boxes and radios have their new mark by the time "click"
// fires. The radios start with one of them checked.
function SettingChanged(control) {
  ShowStatus(control.id + (control.checked ? " on" : " off"));
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
