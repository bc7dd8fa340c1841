#include "demo32/effects/effect_state.h"

namespace d32 {

// Greetings that orbit the twister. One friend is greeted five times; the empty
// string after the last name blanks every slot that wraps once the list is done.
const char *const name_list[] = {
    "jalmari", "vekkuli", "pontus",  "kaapo",   "hurtta", "vekkuli", "ilona",   "mursu",
    "tohveli", "rusina",  "vekkuli", "nokkela", "lumi",   "tatti",   "vekkuli", "piski",
    "otso",    "hilla",   "vekkuli", "kuura",   "ahven",  "",        nullptr,
};

} // namespace d32
