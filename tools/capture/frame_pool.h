#pragma once
// Picture files encoded beside the rendering: the render thread fills a
// free slot with a frame's bytes and hands it over in frame order; worker
// threads encode and write it and give the slot back. A fixed set of slots
// (two per worker) bounds the frames in flight, so memory stays flat and a
// fast renderer waits for the encoders instead of queueing frames.
//
// Workers only write whole files into staging folders (write_whole_file);
// the bookkeeping stays on the main thread. The first error of a worker is
// kept and thrown on the main thread by the next pool_take or pool_finish.
// Where the standard library has no threads, each frame is encoded when it
// is handed over.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/png_writer.h"

#if defined(_WIN32) && !defined(_GLIBCXX_HAS_GTHREADS)
#define CAPTURE_NO_THREADS 1
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace capture {

// One frame's files: raw bytes and RGB pixels, written where their
// directories are set.
struct FrameSlot {
  int64_t frame = 0;
  bool raw_due = false;
  bool png_due = false;
  std::vector<uint8_t> raw;
  std::vector<uint8_t> rgb;
};

struct FramePool {
  std::string raw_dir; // empty: no raw files
  std::string png_dir; // empty: no PNG files
  std::string command; // the reproducing command; each PNG adds its frame
  int32_t png_level = 0;

  std::vector<FrameSlot> slots;
  std::vector<int32_t> free_slots;
  std::vector<int32_t> queue; // ring of slots handed over, oldest at head
  size_t head = 0;
  size_t queued = 0;
  int32_t busy = 0; // slots taken by workers
  bool stopping = false;
  bool failed = false;
  int status = 0;
  std::string message;
#ifdef CAPTURE_NO_THREADS
  PngEncoder inline_encoder;
#else
  std::mutex lock;
  std::condition_variable work_ready; // a slot was handed over, or stop
  std::condition_variable slot_free;  // a slot came back, or a worker failed
  std::vector<std::thread> workers;
#endif
};

// One worker per core when jobs is 0.
int32_t default_jobs(int32_t jobs);

// Starts jobs workers with 2 * jobs slots of raw_bytes and RGB frames.
void pool_start(FramePool &pool, int32_t jobs, size_t raw_bytes);

// A free slot, waiting for one if all are in flight. Throws a worker's error.
FrameSlot &pool_take(FramePool &pool);
// Hands a filled slot to the workers.
void pool_hand_over(FramePool &pool, FrameSlot &slot);

// Waits until every frame handed over is written, ends the workers and
// throws the first error of any.
void pool_finish(FramePool &pool);
// Ends the workers without waiting for frames not yet begun. Idempotent.
void pool_abandon(FramePool &pool);

// Writes the files of one slot (what a worker does with it).
void write_frame_files(const FramePool &pool, const FrameSlot &slot, PngEncoder &encoder);

} // namespace capture
