// An owning array of T whose storage comes from the tracked allocator.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <source_location>
#include <span>
#include <type_traits>
#include <utility>

#include "diag/Dbug.h"

template <typename T>
class TrackedBuffer {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "tracked buffers hold plain records");

 public:
  TrackedBuffer() = default;
  ~TrackedBuffer() { Reset(); }
  TrackedBuffer(const TrackedBuffer&) = delete;
  TrackedBuffer& operator=(const TrackedBuffer&) = delete;
  TrackedBuffer(TrackedBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), count_(std::exchange(other.count_, 0)) {}
  TrackedBuffer& operator=(TrackedBuffer&& other) noexcept {
    if (this != &other) {
      Reset();
      data_ = std::exchange(other.data_, nullptr);
      count_ = std::exchange(other.count_, 0);
    }
    return *this;
  }

  // Replaces the contents with count zero-filled elements. False (and empty)
  // when the size does not fit the allocator or the allocation fails. A count
  // of 0 succeeds with no storage.
  bool Allocate(std::size_t count, std::source_location where = std::source_location::current()) {
    return Take(count, true, where);
  }
  // The same without the zeros, for storage written before it is read: pages
  // never written then cost nothing.
  bool AllocateUnfilled(std::size_t count, std::source_location where = std::source_location::current()) {
    return Take(count, false, where);
  }

  void Reset(std::source_location where = std::source_location::current()) {
    if (data_) TrackedFree(data_, where.file_name(), static_cast<int32_t>(where.line()));
    data_ = nullptr;
    count_ = 0;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + count_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + count_; }
  std::span<T> span() { return {data_, count_}; }
  std::span<const T> span() const { return {data_, count_}; }

 private:
  bool Take(std::size_t count, bool zero, std::source_location where) {
    Reset(where);
    if (count == 0) return true;
    if (count > std::numeric_limits<uint32_t>::max() / sizeof(T)) return false;
    void* block = TrackedAlloc(static_cast<uint32_t>(count * sizeof(T)), where.file_name(),
                               static_cast<int32_t>(where.line()));
    if (!block) return false;
    if (zero) std::memset(block, 0, count * sizeof(T));
    data_ = static_cast<T*>(block);
    count_ = count;
    return true;
  }

  T* data_ = nullptr;
  std::size_t count_ = 0;
};
