#include "app/app.h"

#include <cstdio>

int RunWindowApp(int, char**) {
    std::fputs("reelboard: only --headless is available yet\n", stderr);
    return 2;
}
