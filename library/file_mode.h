#pragma once

#include <sys/types.h>

// The mode the user's umask gives a new file (0666 without the umask's bits). Files made through a
// private temporary file (mode 0600) get it before they take their final name, so that a shared media
// folder's other users and services can read them like any file the user creates.
mode_t NewFileMode();
