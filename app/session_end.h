#pragma once

#include <memory>

class QWidget;
struct MovieLibrary;

// Closes `window` as the user would when the process is asked to end (SIGTERM at logout, SIGINT from
// a terminal, SIGHUP when the terminal goes away): the close runs the stop sequence, so the threads
// are stopped and the temporary files deleted instead of the process dying where it stands.
// Call once, after the application object exists.
void CloseOnTerminationSignals(QWidget* window);

// The last step once the window has closed: threads that the stop sequence had to leave running still
// hold the library until their next stop check. Waits up to `waitMs` until `library` is its only
// holder; returns how many other references remain then (0 when every thread has ended).
long WaitForLibraryThreads(const std::shared_ptr<MovieLibrary>& library, int waitMs);
