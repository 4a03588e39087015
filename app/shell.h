#pragma once

#include <QString>

// Opens `path` with the desktop's default application (the player for a video). Fire and forget.
void OpenWithShell(const QString& path);

// Shows `path` selected in the file manager through the desktop's file-manager interface; when no
// file manager answers there, opens the containing folder instead. Fire and forget: never waits.
void ShowInFileManager(const QString& path);
