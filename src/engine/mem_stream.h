// The working buffer of the payload store: a growable in-memory byte stream
// with a position. One buffer is reused for every record of a pass, so its
// storage is kept across Clear and grows only to the largest file.
#pragma once
#include <cstddef>
#include <cstdint>

class TMemStream {
 public:
  TMemStream() = default;
  ~TMemStream();
  TMemStream(const TMemStream&) = delete;
  TMemStream& operator=(const TMemStream&) = delete;
  TMemStream(TMemStream&& other) noexcept;
  TMemStream& operator=(TMemStream&& other) noexcept;

  // Size and position become 0; the storage is kept for the next record.
  void Clear() noexcept;
  // Frees the storage as well.
  void Release() noexcept;

  std::size_t Size() const noexcept { return size_; }
  std::size_t Position() const noexcept { return position_; }
  // Moves the position; it may stand past the end (reads there give 0 bytes).
  void SetPosition(std::size_t position) noexcept { position_ = position; }

  // Writes count bytes at the position and advances it; the stream grows as
  // needed (a gap before the position reads as zeros). Throws std::bad_alloc.
  void Write(const void* data, std::size_t count);
  // Reads up to count bytes from the position and advances it; returns the
  // number of bytes read (fewer at the end of the stream).
  std::size_t Read(void* data, std::size_t count) noexcept;

  // Sets the size to exactly `size` bytes and returns the start of the data,
  // for a producer that fills them directly; bytes beyond the old size are
  // not initialised. The position is unchanged. Throws std::bad_alloc.
  std::uint8_t* SetSize(std::size_t size);

  const std::uint8_t* Data() const noexcept { return data_; }
  std::uint8_t* Data() noexcept { return data_; }
  std::size_t Capacity() const noexcept { return capacity_; }

  void Swap(TMemStream& other) noexcept;

 private:
  void Reserve(std::size_t capacity);

  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t position_ = 0;
};
