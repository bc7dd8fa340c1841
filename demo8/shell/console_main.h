#pragma once
// demo8's own main on Windows. Include it after SDL.h.
#ifdef _WIN32
#ifndef _SDL_main_h
#error "include SDL.h before demo8/shell/console_main.h"
#endif
// demo8 is a console program that prints to its console, so it keeps its own
// main instead of the name SDL.h gives it for SDL's windowed start-up.
#undef main
#endif
