// The sequencer: reads a row per channel on the first tick of every row,
// runs the arpeggios and slides on the other five, and advances the song
// counters, which are also the show clock.
#include <algorithm>
#include <cstdint>

#include "demo32/synth/synth.h"

namespace d32 {

namespace {

constexpr int32_t LOWEST_NOTE = -89; // lower note values mean "no note"
constexpr int32_t DRUM_C = 220500;
constexpr int32_t SNARE_CHANNEL = 11;

// The pitch of a semitone offset from 440 Hz (the note_pitch rule). Offsets
// this far out give 0 Hz or saturate either way, so clamping changes no
// result and keeps the sum from overflowing.
int32_t offset_pitch(int32_t base, int32_t semitones) {
  const int64_t offset = std::clamp<int64_t>(int64_t{base} + semitones, -1000, 1000);
  return note_pitch(static_cast<int32_t>(offset) + 46);
}

int32_t high_nibble(int32_t param) {
  return (param >> 4) & 15;
}
int32_t low_nibble(int32_t param) {
  return param & 15;
}

void silence(Voice &voice) {
  voice.volume = 0;
  voice.effect = FX_NONE;
}

void start_note(Voice &voice, const PatternRow &row, int32_t song_row, int32_t ch) {
  switch (row.effect) {
  case FX_NONE:
    voice.increment = note_pitch(row.note);
    break;
  case FX_ARPEGGIO:
  case FX_ARPEGGIO_SLOW:
    voice.increment = note_pitch(row.note);
    voice.base = row.note - 46;
    break;
  case FX_SLIDE:
    voice.base = note_pitch(row.note); // the target; the pitch moves on ticks 1..5
    break;
  case FX_TRIGGER:
    voice.increment = 1; // the sample at its recorded rate, from the start
    voice.phase = 0;
    // Channel 11 alternates hi-hat and snare every other row.
    if (ch == SNARE_CHANNEL && (song_row & 2) != 0) {
      voice.wave_base = DRUM_C;
    }
    break;
  default:
    break; // other effects change no pitch
  }
}

void slide(Voice &voice) {
  const int64_t distance = voice.increment > voice.base ? int64_t{voice.increment} - voice.base
                                                        : int64_t{voice.base} - voice.increment;
  // Stops exactly on the target, never past it.
  const auto step = static_cast<int32_t>(std::min<int64_t>(distance, voice.param));
  if (voice.increment < voice.base) {
    voice.increment += step;
  } else if (voice.increment > voice.base) {
    voice.increment -= step;
  }
}

} // namespace

void sequencer_row(Synth &synth, ShowClock &clock, int32_t ch) {
  Voice &voice = synth.voices[ch];
  const int32_t p = get(clock.song_position);
  const int32_t r = get(clock.song_row);
  const ArrangementEntry &current = arrangement[p][ch];
  // A delayed channel's first rows are the end of the previous position's
  // pattern, played with this position's table and volume: the echo.
  int32_t rel = r - current.delay;
  int32_t q = p;
  if (rel < 0) {
    if (p == 0) {
      silence(voice);
      return;
    }
    q = p - 1;
    rel += ROWS_PER_POSITION;
  }
  const int32_t pattern = arrangement[q][ch].pattern;
  if (pattern < 0) {
    silence(voice);
    return;
  }
  const PatternRow &row = patterns[pattern][rel];
  voice.effect = row.effect;
  voice.param = row.param;
  if (row.note >= LOWEST_NOTE) {
    voice.wave_base = current.wave_base;
    start_note(voice, row, r, ch);
  }
  if (row.effect == FX_END) {
    put(clock.song_end, 1);
  }
  // Applied on every row, note or not.
  voice.volume = row.volume / 2 * current.channel_volume / 256;
}

void sequencer_effects(Synth &synth, int32_t t) {
  for (Voice &voice : synth.voices) {
    switch (voice.effect) {
    case FX_ARPEGGIO:
      if (t == 1 || t == 4) {
        voice.increment = offset_pitch(voice.base, high_nibble(voice.param));
      } else if (t == 2 || t == 5) {
        voice.increment = offset_pitch(voice.base, low_nibble(voice.param));
      } else if (t == 3) {
        voice.increment = offset_pitch(voice.base, 0);
      }
      break;
    case FX_ARPEGGIO_SLOW:
      if (t == 2) {
        voice.increment = offset_pitch(voice.base, high_nibble(voice.param));
      } else if (t == 4) {
        voice.increment = offset_pitch(voice.base, low_nibble(voice.param));
      }
      break;
    case FX_SLIDE:
      slide(voice);
      break;
    default:
      break;
    }
  }
}

void sequencer_tick_end(Synth &synth, ShowClock &clock) {
  const int32_t tick = get(clock.song_tick);
  if (tick == 0) {
    for (int32_t ch = 0; ch < VOICES; ++ch) {
      sequencer_row(synth, clock, ch);
    }
    advance_row(clock);
  } else {
    sequencer_effects(synth, tick);
  }
  put(clock.song_tick, (tick + 1) % TICKS_PER_ROW);
}

} // namespace d32
