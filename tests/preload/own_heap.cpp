// LD_PRELOAD library for the whole-show tests: follows the heap memory that
// the program's own code allocates (malloc, calloc, realloc, aligned
// allocations and operator new called from the program's executable), not
// what SDL, the X libraries or the GL driver allocate for themselves. At every
// frame the program presents (as the show_probe library, which must be
// preloaded too, reports) it notes how many of those bytes are live; at exit it
// writes to OWN_HEAP_FILE one line (if it presented any frame)
//
//   frames=F allocations=A live_at_first_frame=L0 most_live_at_a_frame=LM live_at_exit=LE
//
// A show that allocates nothing it keeps has LM equal to L0, however long it
// runs and whatever the libraries below it do. The resident size of the
// process, by contrast, moves with the display driver and the machine.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "caller.h"

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void __libc_free(void *);
}

namespace {

caller::Range program;

// Before the program's own constructors run; nothing counts before this.
__attribute__((constructor)) void find_program_code() {
  program = caller::program_code();
}

bool from_program(const void *return_address) {
  return caller::in(program, return_address);
}

// Live blocks of the program: open addressing on the block address. The
// show keeps only a handful at a time; the table is far larger.
constexpr size_t SLOTS = 1 << 16;
void *const TOMBSTONE = reinterpret_cast<void *>(1);
void *block_at[SLOTS];
size_t size_at[SLOTS];
std::atomic_flag table_lock = ATOMIC_FLAG_INIT;
long live_bytes = 0;
long allocations = 0;
long frames = 0;
long live_at_first_frame = 0;
long most_live_at_a_frame = 0;
bool table_full = false;

struct Locked {
  Locked() {
    while (table_lock.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~Locked() { table_lock.clear(std::memory_order_release); }
};

size_t slot_of(const void *p) {
  return (reinterpret_cast<uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ull >> 48;
}

void remember(void *p, size_t size) {
  Locked lock;
  for (size_t i = slot_of(p), n = 0; n < SLOTS; i = (i + 1) % SLOTS, ++n) {
    if (block_at[i] == nullptr || block_at[i] == TOMBSTONE) {
      block_at[i] = p;
      size_at[i] = size;
      live_bytes += static_cast<long>(size);
      allocations += 1;
      return;
    }
  }
  table_full = true;
}

void forget(void *p) {
  if (p == nullptr)
    return;
  Locked lock;
  for (size_t i = slot_of(p), n = 0; n < SLOTS && block_at[i] != nullptr;
       i = (i + 1) % SLOTS, ++n) {
    if (block_at[i] == p) {
      block_at[i] = TOMBSTONE;
      live_bytes -= static_cast<long>(size_at[i]);
      return;
    }
  }
}

void *track(void *p, size_t size, const void *caller) {
  if (p != nullptr && from_program(caller))
    remember(p, size);
  return p;
}

void note_frame() {
  Locked lock;
  if (frames == 0)
    live_at_first_frame = live_bytes;
  most_live_at_a_frame = frames == 0 ? live_bytes : std::max(most_live_at_a_frame, live_bytes);
  frames += 1;
}

__attribute__((destructor)) void report() {
  // Only the process that showed frames reports: the tools that start the
  // program (env, timeout, a shell) load this library too.
  const char *path = std::getenv("OWN_HEAP_FILE");
  if (path == nullptr || frames == 0)
    return;
  char line[256];
  int length;
  {
    Locked lock;
    length = std::snprintf(line, sizeof line,
                           "frames=%ld allocations=%ld live_at_first_frame=%ld "
                           "most_live_at_a_frame=%ld live_at_exit=%ld%s\n",
                           frames, allocations, live_at_first_frame, most_live_at_a_frame,
                           live_bytes, table_full ? " table_full" : "");
  }
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    if (write(fd, line, static_cast<size_t>(length)) < 0)
      std::perror("own_heap");
    close(fd);
  }
}

void *aligned(size_t alignment, size_t size) {
  return __libc_memalign(alignment < sizeof(void *) ? sizeof(void *) : alignment, size);
}

void *new_or_throw(void *p) {
  if (p == nullptr)
    throw std::bad_alloc();
  return p;
}

} // namespace

#define CALLER __builtin_return_address(0)

extern "C" void *malloc(size_t size) {
  return track(__libc_malloc(size), size, CALLER);
}
extern "C" void *calloc(size_t count, size_t size) {
  return track(__libc_calloc(count, size), count * size, CALLER);
}
extern "C" void *realloc(void *p, size_t size) {
  void *moved = __libc_realloc(p, size);
  if (moved != nullptr || size == 0) {
    forget(p);
    track(moved, size, CALLER);
  }
  return moved;
}
extern "C" void free(void *p) {
  forget(p);
  __libc_free(p);
}
extern "C" void *aligned_alloc(size_t alignment, size_t size) {
  return track(aligned(alignment, size), size, CALLER);
}
extern "C" void *memalign(size_t alignment, size_t size) {
  return track(aligned(alignment, size), size, CALLER);
}
extern "C" int posix_memalign(void **out, size_t alignment, size_t size) {
  void *p = aligned(alignment, size);
  if (p == nullptr)
    return ENOMEM;
  *out = track(p, size, CALLER);
  return 0;
}

void *operator new(size_t size) {
  return track(new_or_throw(__libc_malloc(size)), size, CALLER);
}
void *operator new[](size_t size) {
  return track(new_or_throw(__libc_malloc(size)), size, CALLER);
}
void *operator new(size_t size, const std::nothrow_t &) noexcept {
  return track(__libc_malloc(size), size, CALLER);
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept {
  return track(__libc_malloc(size), size, CALLER);
}
void *operator new(size_t size, std::align_val_t a) {
  return track(new_or_throw(aligned(static_cast<size_t>(a), size)), size, CALLER);
}
void *operator new[](size_t size, std::align_val_t a) {
  return track(new_or_throw(aligned(static_cast<size_t>(a), size)), size, CALLER);
}
void operator delete(void *p) noexcept {
  free(p);
}
void operator delete[](void *p) noexcept {
  free(p);
}
void operator delete(void *p, size_t) noexcept {
  free(p);
}
void operator delete[](void *p, size_t) noexcept {
  free(p);
}
void operator delete(void *p, std::align_val_t) noexcept {
  free(p);
}
void operator delete[](void *p, std::align_val_t) noexcept {
  free(p);
}
void operator delete(void *p, size_t, std::align_val_t) noexcept {
  free(p);
}
void operator delete[](void *p, size_t, std::align_val_t) noexcept {
  free(p);
}

// Called by the show_probe library (preloaded beside this one) after every
// frame the program presents.
extern "C" void on_presented_frame() {
  note_frame();
}
