#pragma once

class CMainFrame;

// For bench/window_wall.sh: once the wall has loaded, prints one line with the time to the first
// posters in view, the load, a scroll to the end and back (and how many posters in view were still
// missing each time) and the memory of the program with all the browser's processes; then closes.
void ReportWallBenchmark(CMainFrame* frame);
