// The demo application's main script. The engine runs it in the application's script engine
// right after the prelude (which defines $include and $uses), then calls MainStartup: returning
// false ends the run before any window opens. MainShutdown runs when the application ends.
// msgManager, cmdlineMgr and Components are the host objects start-up publishes.
$uses("lib/version.js");

function MainStartup() {
  return true;
}

function MainShutdown() {
}
