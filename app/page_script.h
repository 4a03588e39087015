#pragma once

class QWebEnginePage;

// Window commands the page script sends besides the pages' own ones (1 to 7).
inline constexpr int RefreshCommand = 101;        // F5: rebuild and show again the page shown
inline constexpr int CloseCommand = 102;          // Ctrl+Q: close the window
inline constexpr int EditFolderListCommand = 103; // open "dirs.txt" in the user's editor
inline constexpr int RescanCommand = 104;         // stop, scan the folder list again, show the wall

// Adds to every page the window shows its keys (F5, Esc, Backspace outside text fields, Alt+Left,
// Ctrl+F, Ctrl+Q) and ReelboardReplaceItems(items), which puts fresh wall item markup in place of the
// items of the same movies. The keys are handled in the page too because a key sent to the page
// itself never passes the window's shortcuts.
void InstallPageScript(QWebEnginePage* page);
