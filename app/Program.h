#pragma once

// Program entry: the application, the main window, the domain list dialog
// and the event loop. Returns the exit status.
int runProgram(int argc, char **argv);

// What a root user needs for the banner's browser engine to start.
void prepareBrowserEngine();
