// The browser: the data pack is preloaded into the page's file system as
// /data, beside the working directory's data/ lookup; there is no installed copy.
#include <stdlib.h>

#include "platform/platform.h"

// The page has no standard streams of its own to guard, nor pipes.
void platform_prepare_process() {}

std::string platform_installed_data_parent() { return {}; }

std::vector<std::string> platform_arguments(int argc, char** argv) { return {argv, argv + argc}; }

// The page's file system is its own; a new folder keeps the same rule as elsewhere.
std::string platform_make_private_folder(const std::string& folder, std::string* error) {
    std::string name = (folder.empty() ? std::string(".") : folder) + "/.zelvo-XXXXXX";
    if (!mkdtemp(name.data())) {
        *error = "cannot write in " + folder;
        return {};
    }
    return name;
}
