// The headless checks again, drawing through the framebuffer object that the
// backend falls back to where the driver offers no pbuffer.
#include <cstdlib>

namespace {
// Set before any test opens the context.
const bool fallback_forced = setenv("ZELVO_HEADLESS_FBO", "1", 1) == 0;
}  // namespace

#include "platform_headless_test.cpp"
