#include "app/headless.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#ifdef REELBOARD_HAS_WINDOW
#include "app/app.h"
#endif

static bool HasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    return false;
}

int main(int argc, char** argv) {
    if (HasArgument(argc, argv, "--headless")) {
        // QGuiApplication for the image codecs; the offscreen platform needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return RunHeadless();
    }
#ifdef REELBOARD_HAS_WINDOW
    return RunWindowApp(argc, argv);
#else
    std::fputs("reelboard: this build has no window; run it with --headless\n", stderr);
    return 2;
#endif
}
