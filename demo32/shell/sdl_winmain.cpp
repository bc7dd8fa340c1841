// Windows start-up of demo32. It is a windowed program without a console, so
// before its main runs, standard output and standard error are sent to
// "stdout.txt" and "stderr.txt" in the program's own directory, where the
// viewer finds the video report and any audio complaint. On other systems
// this file is empty and main is the entry point.
#ifdef _WIN32

#include <SDL.h> // declares SDL_main, the name SDL.h gives demo32's main

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The program's directory with its trailing separator, or "" (the current
// directory) when it cannot be found. Wide characters: a folder name outside
// the ANSI code page has no narrow spelling that opens it.
std::wstring program_directory() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size())
    return L"";
  path.resize(length);
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"" : path.substr(0, cut + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring dir = program_directory();
  _wfreopen((dir + L"stdout.txt").c_str(), L"w", stdout);
  _wfreopen((dir + L"stderr.txt").c_str(), L"w", stderr);
  // Unbuffered (the C runtime has no real line buffering): the few lines are
  // in the files at once, also when the show is killed.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  return SDL_main(__argc, __argv);
}

#endif
