// The demo application's main script. The engine runs it in the application's script engine
// right after the prelude (which defines $include and $uses), then calls MainStartup: returning
// false ends the run before any window opens. MainShutdown runs when the application ends.
// msgManager, cmdlineMgr and Components are the host objects start-up publishes.
$uses("lib/version.js");

// The main window is loaded (but hidden) by the time the engine hands over the application's
// own command line, so the first call of this handler shows it. Later calls bring command lines
// forwarded by later starts (remote = 1).
function OnCommandLine(line, remote) {
  var mainWindow = Components.GetService("@velmor.net/ui/mainwindow;1");
  if (!remote) {
    mainWindow.title = g_AppName + " " + g_AppVersion;
  }
  mainWindow.visible = true;
  mainWindow.activated = true;
}

function MainStartup() {
  cmdlineMgr.onCommandLine = OnCommandLine;
  return true;
}

function MainShutdown() {
}
