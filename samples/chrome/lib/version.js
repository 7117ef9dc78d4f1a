// Names shared by the demo's scripts; loaded once per engine through $uses.
var g_AppName = "Velmor";
var g_AppVersion = "1.0.0.1";
