// The letterbox rule, shared by the scaled presentations and the render
// kit's frame layout.
#include <cstdint>

#include "platform/platform.h"

Letterbox letterbox(int frame_width, int frame_height, int picture_width, int picture_height) {
    if (frame_width <= 0 || frame_height <= 0 || picture_width <= 0 || picture_height <= 0) return {};
    const int64_t w = frame_width, h = frame_height;
    Letterbox box;
    if (w * picture_height >= h * picture_width) {
        // As wide or wider than the picture: full height, bars left and right.
        box.height = frame_height;
        box.width = static_cast<int>(h * picture_width / picture_height);
    } else {
        box.width = frame_width;
        box.height = static_cast<int>(w * picture_height / picture_width);
    }
    box.x = (frame_width - box.width) / 2;
    box.y = (frame_height - box.height) / 2;
    return box;
}
