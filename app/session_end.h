#pragma once

#include <memory>

class QWidget;
struct MovieLibrary;

// Closes `window` as the user would when the process is asked to end (SIGTERM at logout, SIGINT from
// a terminal, SIGHUP when the terminal goes away): the close runs the stop sequence, so the threads
// are stopped and the temporary files deleted instead of the process dying where it stands.
// Call once, after the application object exists.
void CloseOnTerminationSignals(QWidget* window);

// The last step once the window is gone: threads that the stop sequence had to leave running still
// hold the library until their next stop check. Waits up to `waitMs` for them; returns how many are
// still running then.
long WaitForLibraryThreads(const std::weak_ptr<MovieLibrary>& library, int waitMs);
