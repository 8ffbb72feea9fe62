// glibc lets a program replace malloc and friends and reach the originals as
// __libc_malloc etc.; sizes are taken with malloc_usable_size, so frees need
// no bookkeeping of their own. A realloc that moves counts the new block
// before the old one is given back, as the process really holds both.
#include "alloc_counter.h"

#include <atomic>

#ifndef CORVALIN_NO_ALLOC_COUNTER
#include <malloc.h>

#include <cerrno>
#include <cstdint>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void Add(void* block) {
  if (block == nullptr) return;
  const std::size_t now = inUse.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
                          malloc_usable_size(block);
  std::size_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
  }
}

void Remove(std::size_t size) { inUse.fetch_sub(size, std::memory_order_relaxed); }

}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept {
  void* p = __libc_malloc(size);
  Add(p);
  return p;
}

void* calloc(std::size_t count, std::size_t size) noexcept {
  void* p = __libc_calloc(count, size);
  Add(p);
  return p;
}

void free(void* block) noexcept {
  if (block == nullptr) return;
  Remove(malloc_usable_size(block));
  __libc_free(block);
}

void* realloc(void* block, std::size_t size) noexcept {
  if (block == nullptr) return malloc(size);
  const std::size_t before = malloc_usable_size(block);
  void* p = __libc_realloc(block, size);
  if (p == nullptr) {
    if (size == 0) Remove(before);  // glibc frees the block for size 0; otherwise it is still held
    return nullptr;
  }
  if (p != block) {
    Add(p);
    Remove(before);
  } else {
    Remove(before);
    Add(p);
  }
  return p;
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
  void* p = __libc_memalign(alignment, size);
  Add(p);
  return p;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept { return memalign(alignment, size); }

int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
  void* p = memalign(alignment, size);
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

bool AllocCounterActive() { return true; }
std::size_t HeapInUse() { return inUse.load(); }
void ResetHeapPeak() { peak.store(inUse.load()); }
std::size_t HeapPeak() { return peak.load(); }

#else

bool AllocCounterActive() { return false; }
std::size_t HeapInUse() { return 0; }
void ResetHeapPeak() {}
std::size_t HeapPeak() { return 0; }

#endif
