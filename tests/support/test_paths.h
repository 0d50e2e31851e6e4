// Paths of the build tree for tests: the binaries and the generated data pack.
#pragma once

#include <string>

inline std::string build_path(const std::string& relative) {
    return std::string(ZELVO_BUILD_DIR) + "/" + relative;
}
