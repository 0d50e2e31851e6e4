// libFuzzer harness: the command line, one argument per line of the input.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words = {"zelvo"};
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            words.push_back(word);
            word.clear();
        } else if (c != '\0') {
            word += c;
        }
    }
    words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    ShellOptions options;
    std::string error;
    if (parse_options(static_cast<int>(argv.size()), argv.data(), &options, &error)) {
        // What is accepted stays within what the show can run.
        if (options.from_ms < 0 || (options.has_to && options.to_ms < options.from_ms)) __builtin_trap();
        if (!(options.fps >= 1 && options.fps <= 1000)) __builtin_trap();
    }
    return 0;
}
