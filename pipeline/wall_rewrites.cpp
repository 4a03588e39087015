#include "pipeline/wall_rewrites.h"

#include <chrono>

qint64 SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void NoteWallChange(WallRewrites& rewrites) {
    rewrites.owed = true;
}

bool WallRewriteDue(const WallRewrites& rewrites) {
    return rewrites.owed && (!rewrites.written || rewrites.now() - rewrites.writtenMs >= rewrites.intervalMs);
}

void NoteWallWritten(WallRewrites& rewrites) {
    rewrites.owed = false;
    rewrites.written = true;
    // Measured after the rewrite: however long a rewrite takes, the lookups get the time between.
    rewrites.writtenMs = rewrites.now();
}
