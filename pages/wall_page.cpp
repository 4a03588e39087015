#include "pages/wall_page.h"

QString BuildWallPage(MovieLibrary& library) {
    std::lock_guard lock(library.RecordsMutex);
    return library.WallPagePath;
}
