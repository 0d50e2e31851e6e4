// The OpenGL 1.1 the show calls, on WebGL 1: the matrix stacks and GLU's two
// matrices, the lights, the current colour, normal and texture coordinate,
// glBegin/glEnd, client arrays and glDrawArrays with quads, and the
// fixed-function switches WebGL lacks (texturing, lighting, the lights).
// Everything else (textures, blending, depth, viewport, clears, copies,
// reading back) is WebGL's own call of the same name.
//
// The shaders draw the corner's colour, or with lighting on
// the OpenGL 1.1 lighting of the default material (ambient 0.2, diffuse 0.8,
// no specular, alpha 1; the scene ambient 0.2) by each light on, positional or
// directional, per corner; modulated by the bound texture's texel while
// texturing is on; a program for each of the four ways, switched between as
// the state asks. Quads are drawn as two triangles each through one index
// buffer built at start. Arrays from bytes kept with web_gl_keep are drawn
// from a buffer of their own, filled at their first draw; all others, and the
// corners between glBegin and glEnd, are copied into one streamed buffer.
#include "platform/web/web_gl.h"

#include <webgl/webgl1.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// OpenGL 1.1's names that WebGL does not know.
constexpr GLenum gl_quads = 0x0007;
constexpr GLenum gl_lighting = 0x0B50;
constexpr GLenum gl_light0 = 0x4000;
constexpr GLenum gl_color_material = 0x0B57;
constexpr GLenum gl_normalize = 0x0BA1;
constexpr GLenum gl_modelview = 0x1700;
constexpr GLenum gl_projection = 0x1701;
constexpr GLenum gl_modelview_matrix = 0x0BA6;
constexpr GLenum gl_projection_matrix = 0x0BA7;
constexpr GLenum gl_ambient = 0x1200;
constexpr GLenum gl_diffuse = 0x1201;
constexpr GLenum gl_position = 0x1203;
constexpr GLenum gl_vertex_array = 0x8074;
constexpr GLenum gl_normal_array = 0x8075;
constexpr GLenum gl_color_array = 0x8076;
constexpr GLenum gl_texture_coord_array = 0x8078;
constexpr GLenum gl_perspective_correction_hint = 0x0C50;

constexpr double pi = 3.14159265358979323846;
constexpr int light_count = 4;  // GL_LIGHT0 ... GL_LIGHT3: the presets' lights
// Quads a draw takes through the 16-bit index buffer; longer ones are drawn in runs.
constexpr int quads_per_run = 16384;

struct Matrix {
    float m[16];
};

constexpr Matrix identity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// a x b, column-major as GL keeps them.
Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    return r;
}

// The attributes' places in the program.
enum Attribute { a_position, a_normal, a_texcoord, a_colour, attribute_count };

// A client array as glXxxPointer set it.
struct ClientArray {
    bool enabled = false;
    int size = 0;
    GLsizei stride = 0;
    const uint8_t* pointer = nullptr;
};

// Bytes kept by web_gl_keep, and the buffer filled from them at their first draw.
struct KeptBytes {
    const uint8_t* data;
    size_t bytes;
    GLuint buffer;
};

// A corner between glBegin and glEnd, with the current values at its glVertex.
struct ImmediateCorner {
    float s, t;
    float nx, ny, nz;
    float x, y, z;
    float r, g, b, a;
};

struct Light {
    bool on = false;
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 1, 0};  // in eye coordinates
};

// One program for each of texturing and lighting on or off, so SwiftShader and
// GPUs run no texture lookup or lighting that a draw does not use.
enum ProgramKind { plain = 0, textured = 1, lit = 2, program_count = 4 };

struct Program {
    GLuint id = 0;
    GLint mvp = -1, modelview = -1, as_directions = -1, texture = -1;
    GLint light_position[light_count] = {}, light_ambient[light_count] = {}, light_diffuse[light_count] = {};
    // The versions of the matrices and the lights last sent to it.
    uint32_t matrices_sent = 0, lights_sent = 0;
};

struct WebGl {
    Program programs[program_count];
    int current_program = -1;
    GLuint quad_indices = 0;
    GLuint stream = 0;
    size_t stream_size = 0;
    size_t stream_used = 0;

    std::vector<Matrix> modelview{identity};
    std::vector<Matrix> projection{identity};
    GLenum matrix_mode = gl_modelview;
    uint32_t matrices_version = 1;

    bool texturing = false;
    bool lighting = false;
    GLuint bound_texture = 0;
    Light lights[light_count];
    uint32_t lights_version = 1;
    bool lights_as_directions = false;

    float colour[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texcoord[2] = {0, 0};

    ClientArray arrays[attribute_count];
    std::vector<KeptBytes> kept;

    GLenum immediate_mode = 0;
    std::vector<ImmediateCorner> immediate;
};

WebGl gl;

const char* const vertex_shader = R"(
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_texcoord;
attribute vec4 a_colour;
uniform mat4 u_mvp;
varying vec4 v_colour;
varying vec2 v_texcoord;
#ifdef LIT
uniform mat4 u_modelview;
uniform bool u_as_directions;
uniform vec4 u_light_position[4];
uniform vec3 u_light_ambient[4];
uniform vec3 u_light_diffuse[4];
#endif
void main() {
    gl_Position = u_mvp * vec4(a_position, 1.0);
    v_texcoord = a_texcoord;
#ifdef LIT
    vec4 eye = u_modelview * vec4(a_position, 1.0);
    vec3 normal = (u_modelview * vec4(a_normal, 0.0)).xyz;
    vec3 lit = vec3(0.04);
    for (int i = 0; i < 4; ++i) {
        vec4 p = u_light_position[i];
        vec3 towards = p.w == 0.0 || u_as_directions ? normalize(p.xyz) : normalize(p.xyz / p.w - eye.xyz / eye.w);
        lit += 0.2 * u_light_ambient[i] + 0.8 * max(dot(normal, towards), 0.0) * u_light_diffuse[i];
    }
    v_colour = vec4(min(lit, vec3(1.0)), 1.0);
#else
    v_colour = a_colour;
#endif
}
)";

const char* const fragment_shader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
varying vec4 v_colour;
varying vec2 v_texcoord;
#ifdef TEXTURED
uniform sampler2D u_texture;
#endif
void main() {
#ifdef TEXTURED
    gl_FragColor = v_colour * texture2D(u_texture, v_texcoord);
#else
    gl_FragColor = v_colour;
#endif
}
)";

GLuint compile(GLenum type, const char* defines, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* const parts[2] = {defines, source};
    emscripten_glShaderSource(shader, 2, parts, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "zelvo: the WebGL shader does not compile: %s\n", log);
    }
    return shader;
}

GLint uniform(const Program& p, const char* name, int i = -1) {
    char indexed[48];
    if (i >= 0) std::snprintf(indexed, sizeof indexed, "%s[%d]", name, i);
    return emscripten_glGetUniformLocation(p.id, i >= 0 ? indexed : name);
}

void make_program(int kind) {
    Program& p = gl.programs[kind];
    std::string defines;
    if (kind & textured) defines += "#define TEXTURED\n";
    if (kind & lit) defines += "#define LIT\n";
    p.id = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.id, compile(GL_VERTEX_SHADER, defines.c_str(), vertex_shader));
    emscripten_glAttachShader(p.id, compile(GL_FRAGMENT_SHADER, defines.c_str(), fragment_shader));
    const char* const names[attribute_count] = {"a_position", "a_normal", "a_texcoord", "a_colour"};
    for (GLuint a = 0; a < attribute_count; ++a) emscripten_glBindAttribLocation(p.id, a, names[a]);
    emscripten_glLinkProgram(p.id);
    GLint ok = 0;
    emscripten_glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
    if (!ok) std::fputs("zelvo: the WebGL shaders do not link\n", stderr);
    emscripten_glUseProgram(p.id);
    p.mvp = uniform(p, "u_mvp");
    if (kind & textured) {
        p.texture = uniform(p, "u_texture");
        emscripten_glUniform1i(p.texture, 0);
    }
    if (kind & lit) {
        p.modelview = uniform(p, "u_modelview");
        p.as_directions = uniform(p, "u_as_directions");
        emscripten_glUniform1i(p.as_directions, gl.lights_as_directions ? 1 : 0);
        for (int i = 0; i < light_count; ++i) {
            p.light_position[i] = uniform(p, "u_light_position", i);
            p.light_ambient[i] = uniform(p, "u_light_ambient", i);
            p.light_diffuse[i] = uniform(p, "u_light_diffuse", i);
        }
    }
}

// Corners 4k ... 4k + 3 of a run as the triangles (0, 1, 2) and (0, 2, 3).
void make_quad_indices() {
    std::vector<uint16_t> indices;
    indices.reserve(quads_per_run * 6);
    for (int q = 0; q < quads_per_run; ++q) {
        const uint16_t c = static_cast<uint16_t>(q * 4);
        for (uint16_t k : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<uint16_t>(c + k));
    }
    emscripten_glGenBuffers(1, &gl.quad_indices);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.quad_indices);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                            indices.data(), GL_STATIC_DRAW);
}

Matrix& current_matrix() { return gl.matrix_mode == gl_projection ? gl.projection.back() : gl.modelview.back(); }

std::vector<Matrix>& current_stack() { return gl.matrix_mode == gl_projection ? gl.projection : gl.modelview; }

void multiply_current(const Matrix& m) {
    current_matrix() = multiply(current_matrix(), m);
    ++gl.matrices_version;
}

// Picks the program for the state and sends it what changed since it last drew.
// A light that is off is sent black, from a direction, so it adds nothing.
void use_program() {
    // Texturing takes effect only with a texture bound, as GL 1.1's default texture is incomplete.
    const int kind = (gl.texturing && gl.bound_texture != 0 ? textured : 0) | (gl.lighting ? lit : 0);
    Program& p = gl.programs[kind];
    if (gl.current_program != kind) {
        emscripten_glUseProgram(p.id);
        gl.current_program = kind;
    }
    if (p.matrices_sent != gl.matrices_version) {
        const Matrix mvp = multiply(gl.projection.back(), gl.modelview.back());
        emscripten_glUniformMatrix4fv(p.mvp, 1, GL_FALSE, mvp.m);
        if (kind & lit) emscripten_glUniformMatrix4fv(p.modelview, 1, GL_FALSE, gl.modelview.back().m);
        p.matrices_sent = gl.matrices_version;
    }
    if ((kind & lit) && p.lights_sent != gl.lights_version) {
        constexpr float black[4] = {0, 0, 0, 0};
        constexpr float away[4] = {0, 0, 1, 0};
        for (int i = 0; i < light_count; ++i) {
            const Light& l = gl.lights[i];
            emscripten_glUniform4fv(p.light_position[i], 1, l.on ? l.position : away);
            emscripten_glUniform3fv(p.light_ambient[i], 1, l.on ? l.ambient : black);
            emscripten_glUniform3fv(p.light_diffuse[i], 1, l.on ? l.diffuse : black);
        }
        p.lights_sent = gl.lights_version;
    }
}

// Where an attribute's corners come from for one draw: a buffer and the byte
// offset of the draw's first corner in it.
struct Source {
    GLuint buffer = 0;
    size_t offset = 0;
    GLsizei stride = 0;
    int size = 0;
};

// Copies bytes into the streamed buffer; returns their offset there. The
// buffer grows to hold the largest draw, and starts again from its beginning
// when full.
size_t stream(const void* bytes, size_t size) {
    if (size > gl.stream_size) {
        gl.stream_size = std::max({size, gl.stream_size * 2, size_t{1} << 20});
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, gl.stream);
        emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gl.stream_size), nullptr, GL_DYNAMIC_DRAW);
        gl.stream_used = 0;
    }
    if (gl.stream_used + size > gl.stream_size) gl.stream_used = 0;
    const size_t offset = gl.stream_used;
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, gl.stream);
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size), bytes);
    // Each draw's bytes start on a multiple of 16, as attribute offsets must suit their types.
    gl.stream_used = (offset + size + 15) & ~size_t{15};
    return offset;
}

size_t field_bytes(const ClientArray& array) { return static_cast<size_t>(array.size) * sizeof(float); }

GLsizei array_stride(const ClientArray& array) {
    return array.stride ? array.stride : static_cast<GLsizei>(field_bytes(array));
}

// Where an array's corners for a draw start.
const uint8_t* array_start(const ClientArray& array, GLint first) {
    return array.pointer + static_cast<size_t>(first) * static_cast<size_t>(array_stride(array));
}

// The kept bytes that hold all of an array's corners for a draw, or null.
KeptBytes* kept_holding(const ClientArray& array, GLint first, GLsizei count) {
    const uint8_t* start = array_start(array, first);
    const uint8_t* end = start + static_cast<size_t>(count - 1) * array_stride(array) + field_bytes(array);
    for (KeptBytes& k : gl.kept)
        if (start >= k.data && end <= k.data + k.bytes) return &k;
    return nullptr;
}

Source kept_source(KeptBytes& k, const ClientArray& array, GLint first) {
    if (k.buffer == 0) {
        emscripten_glGenBuffers(1, &k.buffer);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, k.buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(k.bytes), k.data, GL_STATIC_DRAW);
    }
    return {k.buffer, static_cast<size_t>(array_start(array, first) - k.data), array_stride(array), array.size};
}

// The sources of the enabled client arrays for corners first ... first + count.
// Arrays of one stride whose fields lie within one stride of each other (a
// corner's interleaved fields) are streamed as one copy.
void array_sources(GLint first, GLsizei count, Source sources[attribute_count]) {
    bool streamed[attribute_count] = {};
    for (int a = 0; a < attribute_count; ++a) {
        const ClientArray& array = gl.arrays[a];
        if (!array.enabled) continue;
        if (KeptBytes* k = kept_holding(array, first, count)) {
            sources[a] = kept_source(*k, array, first);
            continue;
        }
        streamed[a] = true;
    }
    for (int a = 0; a < attribute_count; ++a) {
        if (!streamed[a] || sources[a].size != 0) continue;
        const GLsizei stride = array_stride(gl.arrays[a]);
        const uint8_t* start = array_start(gl.arrays[a], first);
        auto together = [&](int b) {
            if (!streamed[b] || array_stride(gl.arrays[b]) != stride) return false;
            const uint8_t* other = array_start(gl.arrays[b], first);
            return other + stride > start && other < start + stride;
        };
        const uint8_t* base = start;
        for (int b = a + 1; b < attribute_count; ++b)
            if (together(b)) base = std::min(base, array_start(gl.arrays[b], first));
        size_t end = 0;
        for (int b = a; b < attribute_count; ++b)
            if (together(b))
                end = std::max(end, static_cast<size_t>(array_start(gl.arrays[b], first) - base) +
                                        field_bytes(gl.arrays[b]));
        const size_t offset = stream(base, static_cast<size_t>(count - 1) * stride + end);
        for (int b = a; b < attribute_count; ++b)
            if (together(b))
                sources[b] = {gl.stream, offset + static_cast<size_t>(array_start(gl.arrays[b], first) - base), stride,
                              gl.arrays[b].size};
    }
}

// The current value of an attribute no array feeds.
void constant_attribute(int a) {
    emscripten_glDisableVertexAttribArray(a);
    if (a == a_normal) emscripten_glVertexAttrib3fv(a, gl.normal);
    if (a == a_texcoord) emscripten_glVertexAttrib2fv(a, gl.texcoord);
    if (a == a_colour) emscripten_glVertexAttrib4fv(a, gl.colour);
}

void point_attributes(const Source sources[attribute_count], size_t corner_offset) {
    for (int a = 0; a < attribute_count; ++a) {
        const Source& s = sources[a];
        if (s.size == 0) {
            constant_attribute(a);
            continue;
        }
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
        emscripten_glEnableVertexAttribArray(a);
        emscripten_glVertexAttribPointer(a, s.size, GL_FLOAT, GL_FALSE, s.stride,
                                         reinterpret_cast<const void*>(s.offset + corner_offset * s.stride));
    }
}

// Draws count corners from the sources; quads in runs through the index buffer.
void draw_sources(GLenum mode, GLsizei count, const Source sources[attribute_count]) {
    use_program();
    if (mode != gl_quads) {
        point_attributes(sources, 0);
        emscripten_glDrawArrays(mode, 0, count);
        return;
    }
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.quad_indices);
    const GLsizei quads = count / 4;
    for (GLsizei done = 0; done < quads; done += quads_per_run) {
        point_attributes(sources, static_cast<size_t>(done) * 4);
        const GLsizei run = std::min<GLsizei>(quads_per_run, quads - done);
        emscripten_glDrawElements(GL_TRIANGLES, run * 6, GL_UNSIGNED_SHORT, nullptr);
    }
}

int client_attribute(GLenum array) {
    switch (array) {
    case gl_vertex_array: return a_position;
    case gl_normal_array: return a_normal;
    case gl_texture_coord_array: return a_texcoord;
    case gl_color_array: return a_colour;
    default: return -1;
    }
}

void set_pointer(int a, int size, GLsizei stride, const void* pointer) {
    gl.arrays[a].size = size;
    gl.arrays[a].stride = stride;
    gl.arrays[a].pointer = static_cast<const uint8_t*>(pointer);
}

// The fixed-function switches kept here; false for those WebGL has.
bool set_switch(GLenum cap, bool on) {
    if (cap == GL_TEXTURE_2D) {
        gl.texturing = on;
    } else if (cap == gl_lighting) {
        gl.lighting = on;
    } else if (cap >= gl_light0 && cap < gl_light0 + 8) {
        if (cap < gl_light0 + light_count) gl.lights[cap - gl_light0].on = on;
        ++gl.lights_version;
    } else if (cap != gl_color_material && cap != gl_normalize) {
        return false;
    }
    return true;
}

}  // namespace

void web_gl_start(bool lights_as_directions) {
    gl = WebGl{};
    gl.lights_as_directions = lights_as_directions;
    for (int kind = 0; kind < program_count; ++kind) make_program(kind);
    make_quad_indices();
    emscripten_glGenBuffers(1, &gl.stream);
    // GL_LIGHT0 is white by default; the others black.
    for (int k = 0; k < 3; ++k) gl.lights[0].diffuse[k] = 1;
}

void web_gl_keep(const void* data, size_t bytes) {
    web_gl_forget(data);
    if (bytes > 0) gl.kept.push_back({static_cast<const uint8_t*>(data), bytes, 0});
}

void web_gl_forget(const void* data) {
    for (size_t i = 0; i < gl.kept.size(); ++i) {
        if (gl.kept[i].data != data) continue;
        if (gl.kept[i].buffer) emscripten_glDeleteBuffers(1, &gl.kept[i].buffer);
        gl.kept.erase(gl.kept.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

extern "C" {

void glEnable(GLenum cap) {
    if (!set_switch(cap, true)) emscripten_glEnable(cap);
}

void glDisable(GLenum cap) {
    if (!set_switch(cap, false)) emscripten_glDisable(cap);
}

// WebGL always corrects perspective and has no hint for it.
void glHint(GLenum target, GLenum mode) {
    if (target != gl_perspective_correction_hint) emscripten_glHint(target, mode);
}

void glBindTexture(GLenum target, GLuint texture) {
    gl.bound_texture = texture;
    emscripten_glBindTexture(target, texture);
}

void glMatrixMode(GLenum mode) { gl.matrix_mode = mode; }

void glLoadIdentity() {
    current_matrix() = identity;
    ++gl.matrices_version;
}

void glLoadMatrixf(const GLfloat* m) {
    std::memcpy(current_matrix().m, m, sizeof(Matrix));
    ++gl.matrices_version;
}

void glPushMatrix() { current_stack().push_back(current_matrix()); }

void glPopMatrix() {
    if (current_stack().size() > 1) current_stack().pop_back();
    ++gl.matrices_version;
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    if (pname == gl_modelview_matrix)
        std::memcpy(params, gl.modelview.back().m, sizeof(Matrix));
    else if (pname == gl_projection_matrix)
        std::memcpy(params, gl.projection.back().m, sizeof(Matrix));
    else
        emscripten_glGetFloatv(pname, params);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix m = identity;
    m.m[12] = x, m.m[13] = y, m.m[14] = z;
    multiply_current(m);
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return;
    x /= length, y /= length, z /= length;
    const float radians = degrees * static_cast<float>(pi) / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), k = 1 - c;
    multiply_current({{x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                       x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                       x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
                       0, 0, 0, 1}});
}

void glOrtho(double left, double right, double bottom, double top, double near_plane, double far_plane) {
    const double w = right - left, h = top - bottom, d = far_plane - near_plane;
    if (w == 0 || h == 0 || d == 0) return;
    Matrix m = identity;
    m.m[0] = static_cast<float>(2 / w);
    m.m[5] = static_cast<float>(2 / h);
    m.m[10] = static_cast<float>(-2 / d);
    m.m[12] = static_cast<float>(-(right + left) / w);
    m.m[13] = static_cast<float>(-(top + bottom) / h);
    m.m[14] = static_cast<float>(-(far_plane + near_plane) / d);
    multiply_current(m);
}

// As GLU makes them, multiplied into the current matrix.
void gluPerspective(double fovy, double aspect, double near_plane, double far_plane) {
    const double radians = fovy / 2 * pi / 180;
    const double depth = far_plane - near_plane, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    Matrix m{};
    m.m[0] = static_cast<float>(cotangent / aspect);
    m.m[5] = static_cast<float>(cotangent);
    m.m[10] = static_cast<float>(-(far_plane + near_plane) / depth);
    m.m[11] = -1;
    m.m[14] = static_cast<float>(-2 * near_plane * far_plane / depth);
    multiply_current(m);
}

void gluLookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux, double uy, double uz) {
    auto normalize = [](double v[3]) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length != 0) v[0] /= length, v[1] /= length, v[2] /= length;
    };
    double f[3] = {cx - ex, cy - ey, cz - ez};
    normalize(f);
    double s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
    normalize(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Matrix m = identity;
    for (int k = 0; k < 3; ++k) {
        m.m[k * 4 + 0] = static_cast<float>(s[k]);
        m.m[k * 4 + 1] = static_cast<float>(u[k]);
        m.m[k * 4 + 2] = static_cast<float>(-f[k]);
    }
    multiply_current(m);
    glTranslatef(static_cast<float>(-ex), static_cast<float>(-ey), static_cast<float>(-ez));
}

// A position is taken into eye coordinates through the model-view current now.
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (light < gl_light0 || light >= gl_light0 + light_count) return;
    Light& l = gl.lights[light - gl_light0];
    if (pname == gl_ambient) std::memcpy(l.ambient, params, sizeof l.ambient);
    if (pname == gl_diffuse) std::memcpy(l.diffuse, params, sizeof l.diffuse);
    if (pname == gl_position) {
        const float* m = gl.modelview.back().m;
        for (int row = 0; row < 4; ++row)
            l.position[row] = m[row] * params[0] + m[4 + row] * params[1] + m[8 + row] * params[2] + m[12 + row] * params[3];
    }
    ++gl.lights_version;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    gl.colour[0] = r, gl.colour[1] = g, gl.colour[2] = b, gl.colour[3] = a;
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { gl.normal[0] = x, gl.normal[1] = y, gl.normal[2] = z; }

void glTexCoord2f(GLfloat s, GLfloat t) { gl.texcoord[0] = s, gl.texcoord[1] = t; }

void glBegin(GLenum mode) {
    gl.immediate_mode = mode;
    gl.immediate.clear();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    gl.immediate.push_back({gl.texcoord[0], gl.texcoord[1], gl.normal[0], gl.normal[1], gl.normal[2], x, y, z,
                            gl.colour[0], gl.colour[1], gl.colour[2], gl.colour[3]});
}

void glEnd() {
    if (gl.immediate.empty()) return;
    const GLsizei count = static_cast<GLsizei>(gl.immediate.size());
    const size_t offset = stream(gl.immediate.data(), gl.immediate.size() * sizeof(ImmediateCorner));
    const GLsizei stride = sizeof(ImmediateCorner);
    Source sources[attribute_count];
    sources[a_position] = {gl.stream, offset + offsetof(ImmediateCorner, x), stride, 3};
    sources[a_normal] = {gl.stream, offset + offsetof(ImmediateCorner, nx), stride, 3};
    sources[a_texcoord] = {gl.stream, offset + offsetof(ImmediateCorner, s), stride, 2};
    sources[a_colour] = {gl.stream, offset + offsetof(ImmediateCorner, r), stride, 4};
    draw_sources(gl.immediate_mode, count, sources);
}

void glEnableClientState(GLenum array) {
    const int a = client_attribute(array);
    if (a >= 0) gl.arrays[a].enabled = true;
}

void glDisableClientState(GLenum array) {
    const int a = client_attribute(array);
    if (a >= 0) gl.arrays[a].enabled = false;
}

void glVertexPointer(GLint size, GLenum, GLsizei stride, const void* pointer) {
    set_pointer(a_position, size, stride, pointer);
}

void glNormalPointer(GLenum, GLsizei stride, const void* pointer) { set_pointer(a_normal, 3, stride, pointer); }

void glTexCoordPointer(GLint size, GLenum, GLsizei stride, const void* pointer) {
    set_pointer(a_texcoord, size, stride, pointer);
}

void glColorPointer(GLint size, GLenum, GLsizei stride, const void* pointer) {
    set_pointer(a_colour, size, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    if (count <= 0 || !gl.arrays[a_position].enabled) return;
    Source sources[attribute_count];
    array_sources(first, count, sources);
    draw_sources(mode, count, sources);
}

}  // extern "C"
