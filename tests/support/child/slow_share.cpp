// Loaded with LD_PRELOAD into a Reelboard run, makes every folder below SLOW_SHARE_PATH take
// SLOW_SHARE_MS milliseconds to open, as a share on a slow network does. Stands in for a slow
// network file system where the tests can mount none (no root, no FUSE).
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

extern "C" DIR* opendir(const char* name) {
    using Opendir = DIR* (*)(const char*);
    static const Opendir real = reinterpret_cast<Opendir>(dlsym(RTLD_NEXT, "opendir"));
    const char* slow = std::getenv("SLOW_SHARE_PATH");
    const char* ms = std::getenv("SLOW_SHARE_MS");
    if (name && slow && ms && *slow && std::strncmp(name, slow, std::strlen(slow)) == 0)
        usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000);
    return real(name);
}
