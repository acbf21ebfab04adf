// Leaks inside system libraries that the tests cannot free: SDL keeps per-thread error buffers
// of threads that called it, and the desktop bus library keeps process-wide state.
// Tests that use them include this once, so the sanitizer build reports only our own leaks.
#pragma once

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libSDL2\n"
           "leak:libdbus-1\n";
}
