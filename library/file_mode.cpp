#include "library/file_mode.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

mode_t NewFileMode() {
    // umask() can only be read by setting it, which would race with other threads creating files;
    // the kernel reports it in the process status.
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}
