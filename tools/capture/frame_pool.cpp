#include "tools/capture/frame_pool.h"

#include <exception>

#include "tools/capture/capture_error.h"
#include "tools/capture/frame_files.h"
#include "tools/capture/options.h"
#include "tools/capture/output_files.h"

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

#include <algorithm>

namespace capture {

namespace {

#ifndef CAPTURE_NO_THREADS
void note_failure(FramePool &p, int status, const std::string &message) {
  std::lock_guard<std::mutex> hold(p.lock);
  if (!p.failed) {
    p.failed = true;
    p.status = status;
    p.message = message;
  }
  p.slot_free.notify_all();
}

void work(FramePool &p) {
  PngEncoder encoder;
  std::unique_lock<std::mutex> hold(p.lock);
  for (;;) {
    p.work_ready.wait(hold, [&p] { return p.queued > 0 || p.stopping; });
    // Stopping: a finish has waited for the queue, an abandon drops it.
    if (p.stopping)
      return;
    const int32_t index = p.queue[p.head];
    p.head = (p.head + 1) % p.queue.size();
    --p.queued;
    ++p.busy;
    // After a failure the run is lost: the rest is only handed back.
    const bool skip = p.failed;
    hold.unlock();
    if (!skip) {
      try {
        write_frame_files(p, p.slots[static_cast<size_t>(index)], encoder);
      } catch (const CaptureError &e) {
        note_failure(p, e.status, e.message);
      } catch (const std::exception &e) {
        note_failure(p, EXIT_RUNTIME, e.what());
      }
    }
    hold.lock();
    --p.busy;
    p.free_slots.push_back(index);
    p.slot_free.notify_all();
  }
}
#endif

} // namespace

int32_t default_jobs(int32_t jobs) {
  if (jobs > 0)
    return jobs;
#ifdef CAPTURE_NO_THREADS
  return 1;
#else
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int32_t>(std::min<unsigned>(cores, MAX_JOBS)) : 1;
#endif
}

void pool_start(FramePool &p, int32_t jobs, size_t raw_bytes) {
#ifdef CAPTURE_NO_THREADS
  (void)jobs;
  const int32_t count = 1;
#else
  const int32_t count = 2 * jobs;
#endif
  p.slots.resize(static_cast<size_t>(count));
  p.free_slots.clear();
  p.free_slots.reserve(p.slots.size());
  for (int32_t i = count - 1; i >= 0; --i) {
    FrameSlot &slot = p.slots[static_cast<size_t>(i)];
    slot.raw.resize(p.raw_dir.empty() ? 0 : raw_bytes);
    slot.rgb.resize(p.png_dir.empty() ? 0 : static_cast<size_t>(FRAME_PIXELS) * 3);
    p.free_slots.push_back(i);
  }
  p.queue.assign(p.slots.size(), 0);
  p.head = 0;
  p.queued = 0;
#ifndef CAPTURE_NO_THREADS
#ifndef _WIN32
  // Signals go to the main thread, where they interrupt blocked writes to
  // ffmpeg; the workers never see them.
  sigset_t all;
  sigset_t old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
#endif
  try {
    for (int32_t k = 0; k < jobs; ++k)
      p.workers.emplace_back(work, std::ref(p));
  } catch (...) {
    pool_abandon(p);
  }
#ifndef _WIN32
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
#endif
  if (p.workers.empty())
    fail(EXIT_RUNTIME, "cannot start the threads that encode the frames");
#endif
}

FrameSlot &pool_take(FramePool &p) {
#ifndef CAPTURE_NO_THREADS
  std::unique_lock<std::mutex> hold(p.lock);
  p.slot_free.wait(hold, [&p] { return !p.free_slots.empty() || p.failed; });
  if (p.failed)
    fail(p.status, p.message);
#endif
  const int32_t index = p.free_slots.back();
  p.free_slots.pop_back();
  return p.slots[static_cast<size_t>(index)];
}

void pool_hand_over(FramePool &p, FrameSlot &slot) {
  const auto index = static_cast<int32_t>(&slot - p.slots.data());
#ifdef CAPTURE_NO_THREADS
  try {
    write_frame_files(p, slot, p.inline_encoder);
  } catch (...) {
    p.free_slots.push_back(index);
    throw;
  }
  p.free_slots.push_back(index);
#else
  std::lock_guard<std::mutex> hold(p.lock);
  p.queue[(p.head + p.queued) % p.queue.size()] = index;
  ++p.queued;
  p.work_ready.notify_one();
#endif
}

void pool_finish(FramePool &p) {
#ifndef CAPTURE_NO_THREADS
  {
    std::unique_lock<std::mutex> hold(p.lock);
    p.slot_free.wait(hold, [&p] { return (p.queued == 0 && p.busy == 0) || p.failed; });
  }
  pool_abandon(p);
  // The workers have ended: nothing writes the error any more.
  if (p.failed)
    fail(p.status, p.message);
#else
  (void)p; // every frame was written when it was handed over
#endif
}

void pool_abandon(FramePool &p) {
#ifndef CAPTURE_NO_THREADS
  {
    std::lock_guard<std::mutex> hold(p.lock);
    p.stopping = true;
    p.queued = 0;
  }
  p.work_ready.notify_all();
  for (std::thread &t : p.workers)
    t.join();
  p.workers.clear();
#else
  (void)p;
#endif
}

void write_frame_files(const FramePool &p, const FrameSlot &slot, PngEncoder &encoder) {
  if (slot.raw_due && !p.raw_dir.empty())
    write_whole_file(frame_path(p.raw_dir, slot.frame, ".raw"), slot.raw.data(), slot.raw.size());
  if (slot.png_due && !p.png_dir.empty()) {
    encode_png(encoder, slot.rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, p.png_level,
               frame_png_texts(p.command, slot.frame, p.png_level));
    write_whole_file(frame_path(p.png_dir, slot.frame, ".png"), encoder.file.data(),
                     encoder.file.size());
  }
}

} // namespace capture
