// libFuzzer harness: the EF3 mesh parser on arbitrary text. A mesh it accepts
// must be safe to draw: every index inside the vertex list, every coordinate finite.
#include <cmath>
#include <cstdint>
#include <string>

#include "resources/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mesh mesh;
    std::string error;
    if (!parse_ef3(std::string(reinterpret_cast<const char*>(data), size), &mesh, &error)) return 0;
    for (int32_t index : mesh.faces)
        if (index < 0 || index >= mesh.vertex_count) __builtin_trap();
    for (const Vec3& v : mesh.vertices)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) __builtin_trap();
    return 0;
}
