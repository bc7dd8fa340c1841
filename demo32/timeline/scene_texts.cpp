#include "demo32/timeline/scene_texts.h"

#include "demo32/text/draw_text.h"

namespace d32 {

// The lead-in spaces let the first words enter from the right edge; the long
// tail scrolls the last words out before the text starts over.
const char scroll_text_1[] =
    "                     " // 21 spaces
    "welcome to zyrkon malvestra 2, the first production of qobu this year, made for the "
    "demo competition of the party. code and muzak by turvelo, who also wrote the synth "
    "playing this tune. so how do you like the rotozoomer? oldest trick in the book, "
    "still spinning!"
    "                                                                   "; // 67 spaces

// The long lead-in keeps the screen clear while the twister comes in.
const char scroll_text_2[] =
    "                                                                                    " // 84
    "greetings fly to the people whose names circle the twister and to each friend at the "
    "party place. everything you see is rendered in real time without hardware "
    "acceleration: just pixels pushed by the cpu."
    "                        "; // 24 spaces

const SceneText OPENING_TITLES[OPENING_TITLE_COUNT] = {
    {"qobu presents", CENTRED, 100},
    {"in 2005", CENTRED, 116},
};

const SceneText INTRO_TITLES[INTRO_TITLE_COUNT] = {
    {"a", CENTRED, 100},
    {"realtime multimedia", CENTRED, 116},
    {"presentation", CENTRED, 132},
};

const SceneText TEASER_BOX_FIRST = {"yet another", CENTRED, 100};
const SceneText TEASER_BOX_SECOND = {"zyrkon malvestra", CENTRED, 116};

const SceneText NAME_BOXES[NAME_BOX_COUNT] = {
    {"zyrkon malvestra", CENTRED, 80},
    {"part two", CENTRED, 112},
    {"da phunky partiKel", CENTRED, 144},
};

const char CREDIT_YEAR_LINE[] = "made in june 2005";

const SceneText CREDITS[CREDIT_COUNT] = {
    {"Zyrkon Malvestra", 16, 20},
    {"part 2", 64, 36},
    {"Program", 32, 80},
    {"Design", 32, 96},
    {"Muzak", 32, 112},
    {"by. turvelo", 120, 128},
    {CREDIT_YEAR_LINE, CENTRED, 200},
    {"qobu", CENTRED, 216},
};

} // namespace d32
