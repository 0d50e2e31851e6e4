#include <cstdio>

int main() {
    std::puts("zelvo: not built yet");
    return 1;
}
