#pragma once

#include <QString>

struct MovieLibrary;

// Runs the whole pipeline without a window in the current folder, printing every status text as one
// line on standard error and a summary line at the end. SIGTERM, SIGINT and SIGHUP stop it as closing
// the window would (a second one ends the process at once). Returns the process exit code: 0 when the
// run completed, 1 when "dirs.txt" named no folder that could be read, 128 + the signal when stopped.
int RunHeadless();

// The closing line of a batch run: what it found and did, and how it ended (`signal` 0: not stopped).
QString HeadlessSummary(const MovieLibrary& library, int signal);
