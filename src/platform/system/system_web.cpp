// The browser: the data pack is preloaded into the page's file system as
// /data, beside the working directory's data/ lookup; there is no installed copy.
#include "platform/platform.h"

// The page has no standard streams of its own to guard, nor pipes.
void platform_prepare_process() {}

std::string platform_installed_data_parent() { return {}; }
