// frame-check: what the Windows tests ask of PNG pictures.
//   frame-check diff A.png B.png LEVEL MAX_SHARE
//     compares two frames (A larger than B is first area-averaged down to B's
//     size); prints how many pixels differ, how many by more than LEVEL in a
//     channel, by how much at most and the mean difference; fails (1) when
//     more than MAX_SHARE (a fraction) of the pixels differ by more than LEVEL.
//   frame-check mean A.png
//     prints the mean of every channel of every pixel (0 to 255).
//   frame-check sharpness A.png
//     prints the mean absolute difference of neighbouring pixels, across and
//     down, over every channel: how sharp the frame is.
//   frame-check columns A.png TOP BOTTOM
//     prints "x width" of the widest run of columns that hold a pixel brighter
//     than black (any channel above 16) between rows TOP and BOTTOM (from the top).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/codecs.h"
#include "support/frame_shrink.h"

namespace {

bool read(const char* path, std::vector<uint8_t>* rgb, int* width, int* height) {
    std::string error;
    *rgb = read_png_rgb(path, width, height, &error);
    if (!rgb->empty()) return true;
    std::fprintf(stderr, "frame-check: %s\n", error.c_str());
    return false;
}

int diff(const char* a_path, const char* b_path, int level_allowed, double max_share) {
    std::vector<uint8_t> a, b;
    int aw = 0, ah = 0, bw = 0, bh = 0;
    if (!read(a_path, &a, &aw, &ah) || !read(b_path, &b, &bw, &bh)) return 2;
    if (aw >= bw && ah >= bh && (aw != bw || ah != bh)) {
        a = frames::shrink(a, aw, ah, bw, bh);
        aw = bw;
        ah = bh;
    }
    if (aw != bw || ah != bh) {
        std::printf("%s is %d x %d but %s is %d x %d\n", a_path, aw, ah, b_path, bw, bh);
        return 1;
    }
    long differing = 0, beyond = 0;
    int largest = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
        int level = 0;
        for (size_t c = 0; c < 3; ++c) level = std::max(level, std::abs(a[i + c] - b[i + c]));
        if (level > 0) ++differing;
        if (level > level_allowed) ++beyond;
        largest = std::max(largest, level);
    }
    const double pixels = static_cast<double>(aw) * ah;
    const double share = static_cast<double>(beyond) / pixels;
    std::printf("%ld pixels differ (%.3f%%), %ld by more than %d levels (%.3f%%), by at most %d, %.2f on average\n",
                differing, 100 * differing / pixels, beyond, level_allowed, 100 * share, largest,
                frames::mean_difference(a, b));
    return share <= max_share ? 0 : 1;
}

int mean(const char* path) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!read(path, &rgb, &width, &height)) return 2;
    double sum = 0;
    for (uint8_t v : rgb) sum += v;
    std::printf("%.2f\n", sum / static_cast<double>(rgb.size()));
    return 0;
}

int sharpness(const char* path) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!read(path, &rgb, &width, &height)) return 2;
    double sum = 0;
    long count = 0;
    for (int y = 0; y + 1 < height; ++y)
        for (int x = 0; x + 1 < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const size_t at = (static_cast<size_t>(y) * width + x) * 3 + c;
                sum += std::abs(rgb[at] - rgb[at + 3]) + std::abs(rgb[at] - rgb[at + static_cast<size_t>(width) * 3]);
                count += 2;
            }
    std::printf("%.3f\n", count ? sum / count : 0.0);
    return 0;
}

int columns(const char* path, int top, int bottom) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!read(path, &rgb, &width, &height)) return 2;
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, top, height);
    int best_x = 0, best_width = 0, run_x = 0;
    for (int x = 0; x <= width; ++x) {
        bool bright = false;
        for (int y = top; x < width && y < bottom && !bright; ++y) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            bright = std::max({p[0], p[1], p[2]}) > 16;
        }
        if (bright) continue;
        if (x - run_x > best_width) {
            best_x = run_x;
            best_width = x - run_x;
        }
        run_x = x + 1;
    }
    std::printf("%d %d\n", best_x, best_width);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "diff" && argc == 6) return diff(argv[2], argv[3], std::atoi(argv[4]), std::atof(argv[5]));
    if (command == "mean" && argc == 3) return mean(argv[2]);
    if (command == "sharpness" && argc == 3) return sharpness(argv[2]);
    if (command == "columns" && argc == 5) return columns(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fputs("usage: frame-check diff A.png B.png LEVEL MAX_SHARE | mean A.png | sharpness A.png |\n"
               "       columns A.png TOP BOTTOM\n",
               stderr);
    return 2;
}
