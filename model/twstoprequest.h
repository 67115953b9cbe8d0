#pragma once

#include <atomic>

// Set when the user stops a scan; the comparison tasks and the similar-image
// grouping poll it from pool threads. Cleared when a scan starts.
extern std::atomic_bool stopRequested;

// Set when the user cancels a removal run; each group checks it before the
// next file. Cleared before every run.
extern std::atomic_bool stopDeletion;
