#pragma once
// What demo8 says when it gets no music, in its own words, on every platform
// that opens a sound device (the desktop's and the page's). Latin-1, no
// newline.
namespace d8 {

constexpr const char *NO_MUSIC_LINE = "No huh ku ei mit\xE4\xE4n musaa saada";
constexpr const char *WRONG_MUSIC_LINE =
    "Ei saa \xE4\xE4nt\xE4 silleen ku haluis, etp\xE4 kuule musaa";

} // namespace d8
