#pragma once

#include <QtGlobal>
#include <functional>

// The lookups of stage 5 change the wall, but rewriting it after each one costs a whole wall page (a
// tenth of a second at 10,000 movies) per movie, so a first run would grow with the square of the
// collection. Changes are written at most once per interval, the first one at once; the last change
// is written when the stage ends.
struct WallRewrites {
    std::function<qint64()> now; // milliseconds from any fixed origin
    qint64 intervalMs = 1000;
    bool owed = false;    // a change not yet on the wall
    bool written = false; // a rewrite happened, at writtenMs
    qint64 writtenMs = 0;
};

// Milliseconds of the steady clock: the pace of the real stage.
qint64 SteadyMilliseconds();

// A lookup changed what the wall shows.
void NoteWallChange(WallRewrites& rewrites);

// True when a change is owed and the interval since the last rewrite has passed (or none was made).
bool WallRewriteDue(const WallRewrites& rewrites);

// The wall was rewritten just now; the next interval starts.
void NoteWallWritten(WallRewrites& rewrites);
