// Draw lists: the one place that chooses how faces reach GL. Under
// --reference every batch goes through the immediate-mode emitters between one
// glBegin/glEnd pair; otherwise through glDrawArrays over the same corners.
// Both send the same vertices, normals, texture coordinates and colours.
#include <GL/gl.h>

#include "platform/platform.h"
#include "render/render.h"

namespace {

GLenum gl_mode(Primitive p) { return p == Primitive::triangles ? GL_TRIANGLES : GL_QUADS; }

size_t face_size(Primitive p) { return p == Primitive::triangles ? 3 : 4; }

void enter_state(const DrawBatch& b) {
    if (b.texture) glBindTexture(GL_TEXTURE_2D, *b.texture);
    if (b.state.untextured) glDisable(GL_TEXTURE_2D);
    if (b.state.light >= 0) glEnable(GL_LIGHT0 + b.state.light);
    if (b.state.additive) {
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
    }
}

void leave_state(const DrawBatch& b) {
    if (b.state.additive) {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    if (b.state.light >= 0) glDisable(GL_LIGHT0 + b.state.light);
    if (b.state.untextured) glEnable(GL_TEXTURE_2D);
}

// One normal a face (its first corner's, which every corner of the face carries).
void emit_batch(const DrawList& list, const DrawBatch& b) {
    const bool coloured = !list.colours.empty();
    const bool textured = !b.state.untextured;
    const size_t per_face = face_size(b.primitive);
    const Colour* last = nullptr;
    glBegin(gl_mode(b.primitive));
    for (size_t i = b.first; i < b.first + b.count; ++i) {
        const ArrayVertex& v = list.corners[i];
        if (b.state.normals && (i - b.first) % per_face == 0) glNormal3f(v.nx, v.ny, v.nz);
        if (coloured) {
            // A colour the last corner already set is not sent again.
            const Colour& c = list.colours[i];
            if (!last || c.r != last->r || c.g != last->g || c.b != last->b || c.a != last->a)
                glColor4f(c.r, c.g, c.b, c.a);
            last = &c;
        }
        if (textured) glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

// The arrays are set one by one (what glInterleavedArrays with GL_T2F_N3F_V3F
// would set), as the browser's GL has no interleaved formats.
void point_arrays(const DrawList& list, const DrawBatch& b) {
    const ArrayVertex& corner = list.corners[b.first];
    glTexCoordPointer(2, GL_FLOAT, sizeof(ArrayVertex), &corner.s);
    glVertexPointer(3, GL_FLOAT, sizeof(ArrayVertex), &corner.x);
    if (b.state.normals) glNormalPointer(GL_FLOAT, sizeof(ArrayVertex), &corner.nx);
    if (!list.colours.empty()) glColorPointer(4, GL_FLOAT, 0, &list.colours[b.first]);
}

void array_batch(const DrawList& list, const DrawBatch& b) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (b.state.normals) glEnableClientState(GL_NORMAL_ARRAY);
    const bool coloured = !list.colours.empty();
    if (coloured) glEnableClientState(GL_COLOR_ARRAY);
    point_arrays(list, b);
    glDrawArrays(gl_mode(b.primitive), 0, static_cast<GLsizei>(b.count));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The colour stays the last corner's, as the emitters leave it.
    if (coloured) {
        const Colour& c = list.colours[b.first + b.count - 1];
        glColor4f(c.r, c.g, c.b, c.a);
    }
}

void draw_batch(const DrawList& list, const DrawBatch& b) {
    enter_state(b);
    // An empty batch is still opened and closed on the straightforward path.
    if (reference_drawing)
        emit_batch(list, b);
    else if (b.count > 0)
        array_batch(list, b);
    leave_state(b);
}

size_t part_end(const DrawList& list, size_t part) {
    return part + 1 < list.part_batches.size() ? list.part_batches[part + 1] : list.batches.size();
}

DrawBatch& open_batch(DrawList& list) { return list.batches.back(); }

}  // namespace

void clear_draw_list(DrawList& list) {
    if (list.kept) platform_forget_vertices(list.corners.data());
    list.kept = false;
    list.corners.clear();
    list.colours.clear();
    list.batches.clear();
    list.part_batches.clear();
    list.moves.clear();
}

void keep_draw_list(DrawList& list) {
    list.kept = true;
    platform_keep_vertices(list.corners.data(), list.corners.size() * sizeof(ArrayVertex));
}

int begin_part(DrawList& list) {
    list.part_batches.push_back(list.batches.size());
    return static_cast<int>(list.part_batches.size() - 1);
}

void begin_batch(DrawList& list, const TextureId* texture, BatchState state, Primitive primitive) {
    list.batches.push_back({texture, state, primitive, list.corners.size(), 0});
}

void add_quad(DrawList& list, const Quad& q) {
    append_quad(list.corners, q);
    open_batch(list).count += 4;
}

void add_textured_quad(DrawList& list, const TexturedQuad& q) {
    append_textured_quad(list.corners, q);
    open_batch(list).count += 4;
}

void add_triangle(DrawList& list, Vec3 a, Vec3 b, Vec3 c) {
    append_triangle(list.corners, a, b, c);
    open_batch(list).count += 3;
}

void add_coloured_quad(DrawList& list, const TexturedQuad& q, const Colour colours[4]) {
    add_textured_quad(list, q);
    list.colours.insert(list.colours.end(), colours, colours + 4);
}

void add_textured_box(DrawList& list, const TextureId* texture, Vec3 size) {
    TexturedQuad faces[6];
    textured_box_faces(size.x, size.y, size.z, faces);
    begin_batch(list, texture);
    for (const TexturedQuad& q : faces) add_textured_quad(list, q);
}

void append_moves(std::vector<Move>& out, const Move* moves, size_t count, int part_offset) {
    for (size_t i = 0; i < count; ++i) {
        Move m = moves[i];
        if (m.kind == MoveKind::part) m.part += part_offset;
        out.push_back(m);
    }
}

void draw_list(const DrawList& list) {
    if (list.moves.empty()) {
        for (const DrawBatch& b : list.batches) draw_batch(list, b);
        return;
    }
    for (const Move& move : list.moves) {
        if (move.kind != MoveKind::part) {
            apply_move(move);
            continue;
        }
        const size_t part = static_cast<size_t>(move.part);
        for (size_t b = list.part_batches[part]; b < part_end(list, part); ++b) draw_batch(list, list.batches[b]);
    }
}

std::vector<PlacedBatch> placed_batches(const DrawList& list) {
    std::vector<PlacedBatch> placed;
    if (list.moves.empty()) {
        for (const DrawBatch& b : list.batches) placed.push_back({&b, placement_identity()});
        return placed;
    }
    std::vector<Placement> parts;
    replay_moves(list.moves.data(), static_cast<int>(list.moves.size()), &parts);
    size_t k = 0;
    for (const Move& move : list.moves) {
        if (move.kind != MoveKind::part) continue;
        const size_t part = static_cast<size_t>(move.part);
        for (size_t b = list.part_batches[part]; b < part_end(list, part); ++b)
            placed.push_back({&list.batches[b], parts[k]});
        ++k;
    }
    return placed;
}

std::vector<Vec3> placed_corners(const DrawList& list, const PlacedBatch& placed) {
    std::vector<Vec3> corners;
    for (size_t i = placed.batch->first; i < placed.batch->first + placed.batch->count; ++i) {
        const ArrayVertex& v = list.corners[i];
        corners.push_back(placement_point(placed.placement, {v.x, v.y, v.z}));
    }
    return corners;
}
