// The demo application's main script: the engine calls MainStartup before it opens the main
// window (returning false would end the run) and MainShutdown when the application ends.
function MainStartup() {
  return true;
}

function MainShutdown() {
}
