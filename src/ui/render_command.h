// Tonagram --render INPUT OUTPUT.png [--size WxH]: draws a view offscreen into a PNG.
#pragma once

// True when the command line asks for the render command.
bool is_render_command(int argc, char** argv);

// Runs the render command; returns the process exit status.
int run_render_command(int argc, char** argv);
