// Meshes and sphere grids as faces for draw lists.
#include "render/render.h"

void add_mesh(DrawList& list, const Vec3* vertices, const int32_t* faces, int32_t face_count) {
    for (int32_t face = 0; face < face_count; ++face) {
        Vec3 corners[3];
        mesh_triangle_corners(vertices, faces, face, corners);
        add_triangle(list, corners[0], corners[1], corners[2]);
    }
}
namespace {

// One corner of a ball quad: grid row r (0 for the top pole, rows for the
// bottom pole) and column k (count at the seam, which reuses column 0).
struct GridCorner {
    int row, column;
};

}  // namespace

bool grid_sphere_quads(const Shape& grid, float pole_distance, uint16_t segments,
                       std::vector<TexturedQuad>* quads) {
    quads->clear();
    const int count = segments + (segments & 1);
    const int rows = count / 2;
    // Row 1 must exist for the caps, and every row read must lie inside the grid.
    if (count < 4 || grid.size() != static_cast<size_t>(rows) * count) return false;

    const Vec3 top = {0, pole_distance, 0};
    const Vec3 bottom = {0, -pole_distance, 0};
    auto corner = [&](GridCorner c, TexturedQuad& q, int i) {
        if (c.row == 0)
            q.corners[i] = top;
        else if (c.row == rows)
            q.corners[i] = bottom;
        else
            q.corners[i] = grid[static_cast<size_t>(c.row) * count + c.column % count];
        q.texcoords[i][0] = static_cast<float>(c.column) / static_cast<float>(count);
        q.texcoords[i][1] = static_cast<float>(c.row) / static_cast<float>(rows);
    };
    auto add = [&](GridCorner a, GridCorner b, GridCorner c, GridCorner d) {
        TexturedQuad q;
        corner(a, q, 0);
        corner(b, q, 1);
        corner(c, q, 2);
        corner(d, q, 3);
        quads->push_back(q);
    };
    // Column count stands for column 0 on the far side of the seam (s = 1).
    for (int r = 1; r <= rows - 2; ++r)
        for (int k = 0; k < count; ++k) add({r, k}, {r + 1, k}, {r + 1, k + 1}, {r, k + 1});
    const int last = rows - 1;
    for (int k = 0; k + 1 < count; ++k) {
        add({1, k}, {1, k + 1}, {0, k + 1}, {0, k});
        add({last, k + 1}, {last, k}, {rows, k}, {rows, k + 1});
    }
    add({1, count - 1}, {1, count}, {0, count}, {0, count - 1});
    add({last, count}, {last, count - 1}, {rows, count - 1}, {rows, count});
    return true;
}

void add_grid_sphere(DrawList& list, const TextureId* texture, const Shape& grid, float pole_distance, uint16_t segments,
                     BatchState state) {
    std::vector<TexturedQuad> quads;
    grid_sphere_quads(grid, pole_distance, segments, &quads);
    begin_batch(list, texture, state);
    for (const TexturedQuad& q : quads) {
        if (state.untextured)
            add_quad(list, {{q.corners[0], q.corners[1], q.corners[2], q.corners[3]}});
        else
            add_textured_quad(list, q);
    }
}
