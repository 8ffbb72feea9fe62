#include "engine/mem_stream.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

TMemStream::~TMemStream() { std::free(data_); }

TMemStream::TMemStream(TMemStream&& other) noexcept { Swap(other); }

TMemStream& TMemStream::operator=(TMemStream&& other) noexcept {
  if (this != &other) {
    Release();
    Swap(other);
  }
  return *this;
}

void TMemStream::Clear() noexcept {
  size_ = 0;
  position_ = 0;
}

void TMemStream::Release() noexcept {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
}

void TMemStream::Swap(TMemStream& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  std::swap(position_, other.position_);
}

// realloc rather than new[]: large blocks can grow in place, so a buffer that
// grows to the largest file does not hold the old and the new block at once.
void TMemStream::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<std::uint8_t*>(grown);
  capacity_ = capacity;
}

std::uint8_t* TMemStream::SetSize(std::size_t size) {
  Reserve(size);
  size_ = size;
  return data_;
}

void TMemStream::Write(const void* data, std::size_t count) {
  if (count == 0) return;
  if (position_ > SIZE_MAX - count) throw std::bad_alloc();
  const std::size_t end = position_ + count;
  if (end > capacity_) {
    // Geometric growth keeps a series of small writes linear.
    std::size_t wanted = capacity_ + capacity_ / 2;
    Reserve(wanted > end ? wanted : end);
  }
  if (position_ > size_) std::memset(data_ + size_, 0, position_ - size_);
  std::memcpy(data_ + position_, data, count);
  position_ = end;
  if (end > size_) size_ = end;
}

std::size_t TMemStream::Read(void* data, std::size_t count) noexcept {
  if (position_ >= size_ || count == 0) return 0;
  const std::size_t available = size_ - position_;
  const std::size_t n = count < available ? count : available;
  std::memcpy(data, data_ + position_, n);
  position_ += n;
  return n;
}
