#pragma once

#include <cstdint>

// Memory of a process and all its descendants (the browser's helper processes), from /proc.
struct ProcessMemory {
    int processes = 0;
    int64_t rssKb = 0; // resident sets, shared pages counted in every process
    int64_t pssKb = 0; // proportional sets: shared pages divided among their users
};

ProcessMemory ProcessTreeMemory(int64_t rootPid);
