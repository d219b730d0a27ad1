// Face data as meshes keep it: with verticesPerFace 0 every face is its
// vertex count followed by that many vertex indices; otherwise every face is
// verticesPerFace indices, back to back.
//
// Face data is checked once, where it comes in (CheckFaces: a new engine
// group, a .msh file, a captured mesh model); everything that walks it later
// does so through Faces and relies on that check.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

struct Failure;

namespace rm {

// True when faceCount faces lie inside `data`, each has at least three
// corners (verticesPerFace is 0 or at least 3) and names only vertices below
// vertexCount; *words (when given) is then the number of words the faces take,
// which may be fewer than data holds. Otherwise false, with the reason in
// *why ("face 3 names vertex 9 of 8").
bool CheckFaces(std::span<const uint32_t> data, uint32_t faceCount, uint32_t verticesPerFace,
                uint32_t vertexCount, size_t* words = nullptr, Failure* why = nullptr);

// The faces of checked face data, each as the span of its vertex indices.
// Word is const uint32_t to read, uint32_t to change indices in place.
template <typename Word>
class BasicFaces {
 public:
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = std::span<Word>;
    using difference_type = std::ptrdiff_t;

    Iterator() = default;
    std::span<Word> operator*() const {
      const uint32_t n = perFace_ ? perFace_ : *at_;
      Word* first = perFace_ ? at_ : at_ + 1;
      assert(first + n <= end_ && "face data was not checked");
      return {first, n};
    }
    Iterator& operator++() {
      at_ += perFace_ ? perFace_ : 1 + size_t{*at_};
      --left_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator was = *this;
      ++*this;
      return was;
    }
    bool operator==(const Iterator& other) const { return left_ == other.left_; }

   private:
    friend class BasicFaces;
    Iterator(Word* at, Word* end, uint32_t left, uint32_t perFace)
        : at_(at), end_(end), left_(left), perFace_(perFace) {}
    Word* at_ = nullptr;
    Word* end_ = nullptr;
    uint32_t left_ = 0, perFace_ = 0;
  };

  BasicFaces(std::span<Word> data, uint32_t faceCount, uint32_t verticesPerFace)
      : data_(data), count_(faceCount), perFace_(verticesPerFace) {
    assert((verticesPerFace == 0 || verticesPerFace >= 3) && "face data was not checked");
  }
  // Any group record with faceData, faceCount and verticesPerFace.
  template <typename Group>
  explicit BasicFaces(Group& group)
      : BasicFaces(std::span<Word>(group.faceData.data(), group.faceData.size()), group.faceCount,
                   group.verticesPerFace) {}

  Iterator begin() const { return {data_.data(), data_.data() + data_.size(), count_, perFace_}; }
  Iterator end() const { return {nullptr, nullptr, 0, perFace_}; }
  uint32_t size() const { return count_; }

 private:
  std::span<Word> data_;
  uint32_t count_, perFace_;
};

using Faces = BasicFaces<const uint32_t>;
using MutableFaces = BasicFaces<uint32_t>;

}  // namespace rm
