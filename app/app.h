#pragma once

// Runs the desktop window until it is closed; returns the process exit code.
int RunWindowApp(int argc, char** argv);
