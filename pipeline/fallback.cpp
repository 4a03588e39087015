#include "pipeline/fallback.h"

void RunFallbackStage(MovieLibrary& library) { (void)library; }
