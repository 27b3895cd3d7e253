#pragma once

#include <cstdint>

// Minimal scanners the benchmark measures the engine against: they size a
// Desktop exactly as the engine does (visible top-level entries by their own
// size, folders one level deep) with nothing else around the system calls.

// getdents64 + fstatat on the calling thread.
std::int64_t referenceScanOneThread(const char* desktop);
// The same, with the top-level folders shared by the calling thread and one more.
std::int64_t referenceScanTwoThreads(const char* desktop);
