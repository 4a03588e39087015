#pragma once

#include <QUrl>

// Which pages may reach the program. ExtCommand can rewrite any movie's metadata file and start
// programs, so only the pages Reelboard writes itself may call it: never a page from the web, nor a
// web page saved as a temporary in the working folder.

// "menu.html", "detail.html" or "menu_search.html" in the working folder, or the start page (a data:
// address, which only the program itself can open at the top).
bool IsOwnPage(const QUrl& url);

// An http or https address: a link to it opens in the user's browser.
bool IsWebAddress(const QUrl& url);
