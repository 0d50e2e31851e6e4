// The browser build's bench: its display lists have no WebGL counterpart, so
// --bench says the build has none.
#include <cstdio>

#include "shell/shell.h"

int run_bench(const ShellOptions&) {
    std::fputs("zelvo: the browser build has no bench; run zelvo --bench on Linux or Windows\n", stderr);
    return exit_usage;
}
