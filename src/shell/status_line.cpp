// The status line: music time, the credits' local time and the average rate
// (or that the show is paused), shown in the window title (headless: turned
// into the progress line).
#include <cstdio>

#include "shell/shell.h"
#include "timeline/timeline.h"

std::string format_status_line(int32_t time, int32_t credits_time, float rate, bool paused) {
    char line[4096];
    if (paused)
        std::snprintf(line, sizeof line, "zelvo | %d ms [%d] | paused | by Kardel", time, credits_time);
    else
        std::snprintf(line, sizeof line, "zelvo | %d ms [%d] | %3.0f fps | by Kardel", time, credits_time,
                      static_cast<double>(rate));
    return line;
}

void update_status_line(int32_t time, float rate, bool paused) {
    platform_set_title(format_status_line(time, credits_local_time, rate, paused).c_str());
}
