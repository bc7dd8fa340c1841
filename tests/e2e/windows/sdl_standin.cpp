// A stand-in SDL.dll for testing the Windows programs under Wine, never
// shipped. It opens no window and plays nothing: surfaces live in memory, the
// audio callback and timers run on plain threads, the sound is written to
// "sdl_audio.raw", and an Escape press and release arrive once the screen has
// been presented STANDIN_FRAMES times (default 30). SDL_Quit writes the last
// presented screen to "sdl_screen.ppm" and how often each function was called
// to "sdl_calls.txt", all in the current directory.
// STANDIN_AUDIO=none makes SDL_OpenAudio fail.
#include <SDL.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum Call {
  ADD_TIMER,
  CLOSE_AUDIO,
  CREATE_RGB_SURFACE,
  FLIP,
  GET_ERROR,
  GET_TICKS,
  INIT,
  INIT_SUB_SYSTEM,
  LOCK_SURFACE,
  OPEN_AUDIO,
  PAUSE_AUDIO,
  POLL_EVENT,
  QUIT,
  RW_FROM_FILE,
  SAVE_BMP_RW,
  SET_PALETTE,
  SET_VIDEO_MODE,
  SHOW_CURSOR,
  UNLOCK_SURFACE,
  UPDATE_RECT,
  UPPER_BLIT,
  WM_SET_CAPTION,
  CALL_COUNT
};
const char *const CALL_NAMES[CALL_COUNT] = {
    "SDL_AddTimer",      "SDL_CloseAudio",    "SDL_CreateRGBSurface",
    "SDL_Flip",          "SDL_GetError",      "SDL_GetTicks",
    "SDL_Init",          "SDL_InitSubSystem", "SDL_LockSurface",
    "SDL_OpenAudio",     "SDL_PauseAudio",    "SDL_PollEvent",
    "SDL_Quit",          "SDL_RWFromFile",    "SDL_SaveBMP_RW",
    "SDL_SetPalette",    "SDL_SetVideoMode",  "SDL_ShowCursor",
    "SDL_UnlockSurface", "SDL_UpdateRect",    "SDL_UpperBlit",
    "SDL_WM_SetCaption"};
volatile LONG calls[CALL_COUNT];

void count(Call call) {
  InterlockedIncrement(&calls[call]);
}

const char *error_text = "";
char caption[256];

// A surface with its own format, palette and pixels.
struct OwnSurface {
  SDL_Surface surface;
  SDL_PixelFormat format;
  SDL_Palette palette;
  SDL_Color colours[256];
};

OwnSurface *make_surface(int w, int h, int bpp, Uint32 flags) {
  OwnSurface *own = static_cast<OwnSurface *>(std::calloc(1, sizeof(OwnSurface)));
  own->format.BitsPerPixel = static_cast<Uint8>(bpp);
  own->format.BytesPerPixel = static_cast<Uint8>(bpp / 8);
  if (bpp == 8) {
    own->palette.ncolors = 256;
    own->palette.colors = own->colours;
    own->format.palette = &own->palette;
  } else {
    own->format.Rmask = 0xFF0000;
    own->format.Gmask = 0x00FF00;
    own->format.Bmask = 0x0000FF;
    own->format.Rshift = 16;
    own->format.Gshift = 8;
  }
  own->surface.flags = flags;
  own->surface.format = &own->format;
  own->surface.w = w;
  own->surface.h = h;
  own->surface.pitch = static_cast<Uint16>(w * bpp / 8);
  own->surface.pixels = std::calloc(static_cast<size_t>(h), own->surface.pitch);
  own->surface.clip_rect.w = static_cast<Uint16>(w);
  own->surface.clip_rect.h = static_cast<Uint16>(h);
  own->surface.refcount = 1;
  return own;
}

OwnSurface *screen = nullptr;
LARGE_INTEGER start_time;
LONG presented = 0;
int escape_after = 30;
int escape_sent = 0; // 0 nothing yet, 1 key down sent, 2 key up sent too

void presentation() {
  InterlockedIncrement(&presented);
}

// The pixel at (x, y) of a surface as red, green, blue.
void pixel_rgb(const SDL_Surface *s, int x, int y, unsigned char rgb[3]) {
  const unsigned char *row = static_cast<const unsigned char *>(s->pixels) + y * s->pitch;
  if (s->format->BitsPerPixel == 8) {
    const SDL_Color &c = s->format->palette->colors[row[x]];
    rgb[0] = c.r;
    rgb[1] = c.g;
    rgb[2] = c.b;
  } else {
    Uint32 p;
    std::memcpy(&p, row + 4 * x, 4);
    rgb[0] = static_cast<unsigned char>(p >> 16);
    rgb[1] = static_cast<unsigned char>(p >> 8);
    rgb[2] = static_cast<unsigned char>(p);
  }
}

void write_ppm(const SDL_Surface *s, const char *name) {
  FILE *f = std::fopen(name, "wb");
  if (f == nullptr)
    return;
  std::fprintf(f, "P6\n%d %d\n255\n", s->w, s->h);
  for (int y = 0; y < s->h; ++y) {
    for (int x = 0; x < s->w; ++x) {
      unsigned char rgb[3];
      pixel_rgb(s, x, y, rgb);
      std::fwrite(rgb, 1, 3, f);
    }
  }
  std::fclose(f);
}

// Audio: one thread that calls the program's callback once per buffer time.
SDL_AudioSpec audio_spec;
HANDLE audio_thread = nullptr;
volatile LONG audio_paused = 1;
volatile LONG audio_closing = 0;

DWORD WINAPI audio_loop(LPVOID) {
  FILE *raw = std::fopen("sdl_audio.raw", "ab");
  Uint8 *buffer = static_cast<Uint8 *>(std::malloc(audio_spec.size));
  const DWORD period = 1000u * audio_spec.samples / static_cast<DWORD>(audio_spec.freq);
  while (audio_closing == 0) {
    if (audio_paused == 0) {
      audio_spec.callback(audio_spec.userdata, buffer, static_cast<int>(audio_spec.size));
      if (raw != nullptr)
        std::fwrite(buffer, 1, audio_spec.size, raw);
    }
    Sleep(period);
  }
  std::free(buffer);
  if (raw != nullptr)
    std::fclose(raw);
  return 0;
}

void stop_audio() {
  if (audio_thread == nullptr)
    return;
  audio_closing = 1;
  WaitForSingleObject(audio_thread, INFINITE);
  CloseHandle(audio_thread);
  audio_thread = nullptr;
}

// Timers: one thread each, until SDL_Quit.
struct Timer {
  SDL_NewTimerCallback callback;
  void *param;
  Uint32 interval;
  HANDLE thread;
};
Timer timers[8];
int timer_count = 0;
volatile LONG timers_stopping = 0;

DWORD WINAPI timer_loop(LPVOID arg) {
  Timer *t = static_cast<Timer *>(arg);
  while (timers_stopping == 0 && t->interval != 0) {
    Sleep(t->interval);
    if (timers_stopping == 0)
      t->interval = t->callback(t->interval, t->param);
  }
  return 0;
}

// The file behind an SDL_RWops made by SDL_RWFromFile.
struct OwnFile {
  SDL_RWops ops;
  FILE *file;
};

void put_le(FILE *f, Uint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

} // namespace

int SDL_Init(Uint32) {
  count(INIT);
  QueryPerformanceCounter(&start_time);
  const char *frames = std::getenv("STANDIN_FRAMES");
  if (frames != nullptr)
    escape_after = std::atoi(frames);
  return 0;
}

int SDL_InitSubSystem(Uint32) {
  count(INIT_SUB_SYSTEM);
  return 0;
}

void SDL_Quit(void) {
  count(QUIT);
  stop_audio(); // as SDL_Quit does; not counted as the program's call
  timers_stopping = 1;
  for (int i = 0; i < timer_count; ++i)
    WaitForSingleObject(timers[i].thread, INFINITE);
  if (screen != nullptr)
    write_ppm(&screen->surface, "sdl_screen.ppm");
  FILE *log = std::fopen("sdl_calls.txt", "w");
  if (log != nullptr) {
    std::fprintf(log, "caption %s\npresented %ld\n", caption, static_cast<long>(presented));
    for (int i = 0; i < CALL_COUNT; ++i)
      std::fprintf(log, "%s %ld\n", CALL_NAMES[i], static_cast<long>(calls[i]));
    std::fclose(log);
  }
}

char *SDL_GetError(void) {
  count(GET_ERROR);
  return const_cast<char *>(error_text);
}

Uint32 SDL_GetTicks(void) {
  count(GET_TICKS);
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<Uint32>((now.QuadPart - start_time.QuadPart) * 1000 / frequency.QuadPart);
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  count(SET_VIDEO_MODE);
  // Granted like a software driver: never a hardware surface.
  screen = make_surface(width, height, bpp, flags & ~static_cast<Uint32>(SDL_HWSURFACE));
  return &screen->surface;
}

SDL_Surface *SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32, Uint32,
                                  Uint32, Uint32) {
  count(CREATE_RGB_SURFACE);
  return &make_surface(width, height, depth, flags)->surface;
}

int SDL_LockSurface(SDL_Surface *) {
  count(LOCK_SURFACE);
  return 0;
}

void SDL_UnlockSurface(SDL_Surface *) {
  count(UNLOCK_SURFACE);
}

int SDL_UpperBlit(SDL_Surface *src, SDL_Rect *, SDL_Surface *dst, SDL_Rect *) {
  count(UPPER_BLIT);
  // The programs blit only whole surfaces of one size and format.
  if (src->w == dst->w && src->h == dst->h && src->pitch == dst->pitch)
    std::memcpy(dst->pixels, src->pixels, static_cast<size_t>(src->h) * src->pitch);
  return 0;
}

void SDL_UpdateRect(SDL_Surface *, Sint32, Sint32, Uint32, Uint32) {
  count(UPDATE_RECT);
  presentation();
}

int SDL_Flip(SDL_Surface *) {
  count(FLIP);
  presentation();
  return 0;
}

int SDL_SetPalette(SDL_Surface *surface, int, SDL_Color *colours, int first, int n) {
  count(SET_PALETTE);
  SDL_Palette *palette = surface->format->palette;
  if (palette == nullptr || first < 0 || first + n > palette->ncolors)
    return 0;
  std::memcpy(palette->colors + first, colours, sizeof(SDL_Color) * static_cast<size_t>(n));
  return 1;
}

int SDL_ShowCursor(int) {
  count(SHOW_CURSOR);
  return 1;
}

void SDL_WM_SetCaption(const char *title, const char *) {
  count(WM_SET_CAPTION);
  std::snprintf(caption, sizeof caption, "%s", title);
}

int SDL_PollEvent(SDL_Event *event) {
  count(POLL_EVENT);
  if (presented < escape_after || escape_sent == 2)
    return 0;
  if (event != nullptr) {
    std::memset(event, 0, sizeof *event);
    event->type = escape_sent == 0 ? SDL_KEYDOWN : SDL_KEYUP;
    event->key.type = event->type;
    event->key.state = escape_sent == 0 ? SDL_PRESSED : SDL_RELEASED;
    event->key.keysym.sym = SDLK_ESCAPE;
    ++escape_sent;
  }
  return 1;
}

int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  count(OPEN_AUDIO);
  const char *audio = std::getenv("STANDIN_AUDIO");
  if (audio != nullptr && std::strcmp(audio, "none") == 0) {
    error_text = "no audio in the stand-in";
    return -1;
  }
  audio_spec = *desired;
  const Uint32 sample_bytes = (audio_spec.format & 0xFF) / 8;
  audio_spec.size = audio_spec.samples * audio_spec.channels * sample_bytes;
  audio_spec.silence = audio_spec.format == AUDIO_U8 ? 0x80 : 0;
  if (obtained != nullptr)
    *obtained = audio_spec;
  audio_paused = 1;
  audio_closing = 0;
  audio_thread = CreateThread(nullptr, 0, audio_loop, nullptr, 0, nullptr);
  return 0;
}

void SDL_PauseAudio(int pause_on) {
  count(PAUSE_AUDIO);
  audio_paused = pause_on;
}

void SDL_CloseAudio(void) {
  count(CLOSE_AUDIO);
  stop_audio();
}

SDL_TimerID SDL_AddTimer(Uint32 interval, SDL_NewTimerCallback callback, void *param) {
  count(ADD_TIMER);
  if (timer_count == 8)
    return nullptr;
  Timer *t = &timers[timer_count++];
  t->callback = callback;
  t->param = param;
  t->interval = interval;
  t->thread = CreateThread(nullptr, 0, timer_loop, t, 0, nullptr);
  return reinterpret_cast<SDL_TimerID>(t);
}

SDL_RWops *SDL_RWFromFile(const char *file, const char *mode) {
  count(RW_FROM_FILE);
  FILE *f = std::fopen(file, mode);
  if (f == nullptr)
    return nullptr;
  OwnFile *own = static_cast<OwnFile *>(std::calloc(1, sizeof(OwnFile)));
  own->file = f;
  return &own->ops;
}

// A plain 24-bit bottom-up bitmap, as SDL 1.2 writes 32-bit surfaces.
int SDL_SaveBMP_RW(SDL_Surface *surface, SDL_RWops *dst, int freedst) {
  count(SAVE_BMP_RW);
  FILE *f = reinterpret_cast<OwnFile *>(dst)->file;
  const Uint32 row_bytes = (static_cast<Uint32>(surface->w) * 3 + 3) & ~3u;
  const Uint32 image_bytes = row_bytes * static_cast<Uint32>(surface->h);
  std::fputs("BM", f);
  put_le(f, 54 + image_bytes, 4);
  put_le(f, 0, 4);
  put_le(f, 54, 4);
  put_le(f, 40, 4);
  put_le(f, static_cast<Uint32>(surface->w), 4);
  put_le(f, static_cast<Uint32>(surface->h), 4);
  put_le(f, 1, 2);
  put_le(f, 24, 2);
  put_le(f, 0, 4);
  put_le(f, image_bytes, 4);
  put_le(f, 2835, 4);
  put_le(f, 2835, 4);
  put_le(f, 0, 4);
  put_le(f, 0, 4);
  for (int y = surface->h - 1; y >= 0; --y) {
    for (int x = 0; x < surface->w; ++x) {
      unsigned char rgb[3];
      pixel_rgb(surface, x, y, rgb);
      const unsigned char bgr[3] = {rgb[2], rgb[1], rgb[0]};
      std::fwrite(bgr, 1, 3, f);
    }
    for (Uint32 pad = static_cast<Uint32>(surface->w) * 3; pad < row_bytes; ++pad)
      std::fputc(0, f);
  }
  if (freedst != 0) {
    std::fclose(f);
    std::free(dst);
  }
  return 0;
}
