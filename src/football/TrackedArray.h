// An owning array of records that may hold references (textures, texts),
// stored in one block from the tracked allocator. It grows by reallocation,
// as the footballer's lists do when the editor appends an entry, and a failed
// allocation leaves it as it was.
#pragma once

#include <cstdint>
#include <limits>
#include <new>
#include <source_location>
#include <utility>

#include "diag/Dbug.h"

template <typename T>
class TrackedArray {
 public:
  TrackedArray() = default;
  ~TrackedArray() { Clear(); }
  TrackedArray(const TrackedArray&) = delete;
  TrackedArray& operator=(const TrackedArray&) = delete;
  TrackedArray(TrackedArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  TrackedArray& operator=(TrackedArray&& other) noexcept {
    if (this != &other) {
      Clear();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }

  // Moves the first min(count, size) entries into a new block of count
  // entries, the rest default-made. False (and unchanged) when the block
  // cannot be had.
  bool Resize(std::size_t count, std::source_location where = std::source_location::current()) {
    if (count == size_) return true;
    T* block = nullptr;
    if (count) {
      if (count > std::numeric_limits<uint32_t>::max() / sizeof(T)) return false;
      block = static_cast<T*>(TrackedAlloc(static_cast<uint32_t>(count * sizeof(T)), where.file_name(),
                                           static_cast<int32_t>(where.line())));
      if (!block) return false;
    }
    const std::size_t keep = count < size_ ? count : size_;
    for (std::size_t i = 0; i < keep; ++i) new (block + i) T(std::move(data_[i]));
    for (std::size_t i = keep; i < count; ++i) new (block + i) T();
    Release(where);
    data_ = block;
    size_ = count;
    return true;
  }

  // Adds one entry at the end; false (and unchanged) when the list cannot grow.
  bool Append(T value, std::source_location where = std::source_location::current()) {
    if (!Resize(size_ + 1, where)) return false;
    data_[size_ - 1] = std::move(value);
    return true;
  }

  void Clear(std::source_location where = std::source_location::current()) {
    Release(where);
    data_ = nullptr;
    size_ = 0;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  void Release(const std::source_location& where) {
    if (!data_) return;
    for (std::size_t i = 0; i < size_; ++i) data_[i].~T();
    TrackedFree(data_, where.file_name(), static_cast<int32_t>(where.line()));
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
};
