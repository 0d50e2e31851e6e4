// Office greetings scene: a flight through a three-storey office building past
// 24 greeting doors.
#pragma once

// One frame of the office at scene-local time a.
void draw_office_scene(int a);
