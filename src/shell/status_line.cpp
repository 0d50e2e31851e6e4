// The status line: music time, the credits' local time and the average rate,
// shown in the window title (headless: turned into the progress line).
#include <cstdio>

#include "shell/shell.h"
#include "timeline/timeline.h"

std::string format_status_line(int32_t time, int32_t credits_time, float rate) {
    char line[4096];
    std::snprintf(line, sizeof line, "zelvo | %d ms [%d] | %3.0f fps | by Kardel", time,
                  credits_time, static_cast<double>(rate));
    return line;
}

void update_status_line(int32_t time, float rate) {
    platform_set_title(format_status_line(time, credits_local_time, rate).c_str());
}
