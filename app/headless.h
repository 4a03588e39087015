#pragma once

// Runs the whole pipeline without a window in the current folder, printing every status text as one
// line on standard error. Returns the process exit code.
int RunHeadless();
