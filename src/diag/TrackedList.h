// A singly linked list of plain records, newest first, whose nodes come from
// the tracked allocator. The list owns its nodes and gives them back when it
// goes, so a loader that fails half way leaks nothing.
#pragma once

#include <source_location>
#include <type_traits>
#include <utility>

#include "diag/Dbug.h"

template <typename T>
class TrackedList {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "tracked lists hold plain records");

 public:
  struct Node {
    T value;
    Node* next;
  };

  TrackedList() = default;
  ~TrackedList() { Clear(); }
  TrackedList(const TrackedList&) = delete;
  TrackedList& operator=(const TrackedList&) = delete;
  TrackedList(TrackedList&& other) noexcept : head_(std::exchange(other.head_, nullptr)) {}
  TrackedList& operator=(TrackedList&& other) noexcept {
    if (this != &other) {
      Clear();
      head_ = std::exchange(other.head_, nullptr);
    }
    return *this;
  }

  // Adds a copy of value at the head; null when the node cannot be allocated.
  T* PushFront(const T& value, std::source_location where = std::source_location::current()) {
    void* block = TrackedAlloc(sizeof(Node), where.file_name(), static_cast<int32_t>(where.line()));
    if (!block) return nullptr;
    Node* node = static_cast<Node*>(block);
    node->value = value;
    node->next = head_;
    head_ = node;
    return &node->value;
  }

  void Clear(std::source_location where = std::source_location::current()) {
    while (head_) {
      Node* next = head_->next;
      TrackedFree(head_, where.file_name(), static_cast<int32_t>(where.line()));
      head_ = next;
    }
  }

  const Node* head() const { return head_; }
  Node* head() { return head_; }
  bool empty() const { return head_ == nullptr; }

  template <typename F>
  void ForEach(F&& f) const {
    for (const Node* n = head_; n; n = n->next) f(n->value);
  }

 private:
  Node* head_ = nullptr;
};
