#include "lwlib/object/Uv.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/File.h"

namespace {

// Grows both pools to hold at least `needed` pairs, keeping what they hold.
bool ReservePairs(UvSet& set, uint64_t needed) {
  if (needed <= set.u.size()) return true;
  if (needed > UINT32_MAX / sizeof(float)) return false;
  uint64_t capacity = set.u.size() < 64 ? 64 : set.u.size() * 2;
  if (capacity < needed) capacity = needed;
  if (capacity > UINT32_MAX / sizeof(float)) capacity = needed;
  TrackedBuffer<float> u, v;
  if (!u.Allocate(capacity) || !v.Allocate(capacity)) return false;
  if (set.pairCount) {
    std::memcpy(u.data(), set.u.data(), set.pairCount * sizeof(float));
    std::memcpy(v.data(), set.v.data(), set.pairCount * sizeof(float));
  }
  set.u = std::move(u);
  set.v = std::move(v);
  return true;
}

// Reads a .uv file's text the way the C library's formatted input reads it
// (the format the files were written for): numbers after any white space,
// names as whole lines.
class UvText {
 public:
  explicit UvText(std::span<const uint8_t> bytes)
      : begin_(reinterpret_cast<const char*>(bytes.data())), at_(begin_), end_(begin_ + bytes.size()) {}

  void SkipSpace() {
    while (at_ < end_ && std::isspace(static_cast<unsigned char>(*at_))) ++at_;
  }
  // An integer in C notation (0x hexadecimal, 0 octal), kept to int as
  // formatted input keeps it.
  bool Int(int& value) {
    return Number("0123456789abcdefABCDEFxX", [&](const char* text, char** stop) {
      value = static_cast<int>(std::strtol(text, stop, 0));
    });
  }
  bool Float(float& value) {
    return Number("0123456789abcdefABCDEFxXinftyINFTYpP.", [&](const char* text, char** stop) {
      value = std::strtof(text, stop);
    });
  }
  // The rest of the line, without its line feed, cut to the 1023 characters a
  // name may have. A carriage return before the line feed is dropped, so
  // files written with Windows line ends read as they did there. False at the
  // end of the text with nothing read.
  bool WholeLine(std::string& line) {
    line.clear();
    if (at_ >= end_) return false;
    while (at_ < end_ && *at_ != '\n') {
      if (line.size() < 1023) line.push_back(*at_);
      ++at_;
    }
    if (at_ < end_) ++at_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  // 1-based line of the next character.
  int32_t Line() const { return LineAt(at_); }
  // The line of the last number read.
  int32_t LastLine() const { return LineAt(last_); }

 private:
  // Skips white space, copies the run of characters a number can be made of
  // (with a sign in front and signs after an exponent) and converts it.
  template <typename Convert>
  bool Number(const char* chars, Convert convert) {
    SkipSpace();
    last_ = at_;
    const char* p = at_;
    std::string text;
    while (p < end_ && (std::strchr(chars, *p) || ((*p == '-' || *p == '+') &&
                                                   (p == at_ || std::strchr("eEpP", p[-1]))))) {
      if (*p == '\0') break;
      text.push_back(*p++);
    }
    char* stop = nullptr;
    convert(text.c_str(), &stop);
    if (stop == text.c_str()) return false;
    at_ += stop - text.c_str();
    SkipSpace();
    return true;
  }

  int32_t LineAt(const char* p) const { return 1 + static_cast<int32_t>(std::count(begin_, p, '\n')); }

  const char* begin_;
  const char* at_;
  const char* end_;
  const char* last_ = begin_;
};

bool ReadUvText(UvSet& set, std::span<const uint8_t> bytes, bool& outOfMemory, Failure* why) {
  const int64_t fileLength = static_cast<int64_t>(bytes.size());
  UvText text(bytes);
  int kind = 0, surfaceCount = 0;
  if (!text.Int(kind)) return FailAtLine(why, text.Line(), "expected the kind number");
  if (!text.Int(surfaceCount)) return FailAtLine(why, text.Line(), "expected the surface count");
  if (surfaceCount < 0) return FailAtLine(why, text.LastLine(), "surface count %d is negative", surfaceCount);
  set.kind = kind;
  std::string line;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::string>& names = pass == 0 ? set.surfaceNames : set.imageNames;
    for (int i = 0; i < surfaceCount; ++i) {
      if (!text.WholeLine(line))
        return FailAtLine(why, text.Line(), "the file ends before %s name %d of %d",
                          pass == 0 ? "surface" : "image", i + 1, surfaceCount);
      names.push_back(line);
    }
  }
  set.surfaceCount = static_cast<uint32_t>(surfaceCount);

  int polygonCount = 0;
  if (!text.Int(polygonCount)) return FailAtLine(why, text.Line(), "expected the polygon count");
  if (polygonCount < 0) return FailAtLine(why, text.LastLine(), "polygon count %d is negative", polygonCount);
  // Every polygon takes a line of at least three characters: a count the file
  // cannot hold is refused before anything is allocated for it.
  if (static_cast<int64_t>(polygonCount) > fileLength / 3 + 1)
    return FailAtLine(why, text.LastLine(), "%s polygons cannot fit in a file of %s bytes",
                      Thousands(polygonCount).c_str(), Thousands(fileLength).c_str());
  if (!set.polygonUvs.Allocate(static_cast<size_t>(polygonCount))) {
    outOfMemory = true;
    return Fail(why, "out of memory for %s polygons", Thousands(polygonCount).c_str());
  }
  set.polygonCount = static_cast<uint32_t>(polygonCount);
  for (int i = 0; i < polygonCount; ++i) {
    int number = 0, corners = 0;
    const int32_t at = text.Line();
    if (!text.Int(number) || !text.Int(corners))
      return FailAtLine(why, text.Line(), "expected the number and corner count of polygon %d", i);
    if (number != i) return FailAtLine(why, at, "polygon %d where polygon %d was due", number, i);
    if (corners < 0) return FailAtLine(why, at, "polygon %d has %d corners", i, corners);
    // A corner line has at least five characters ("0 0 0").
    if (static_cast<int64_t>(corners) > fileLength / 5 + 1)
      return FailAtLine(why, at, "%s corners of polygon %d cannot fit in a file of %s bytes",
                        Thousands(corners).c_str(), i, Thousands(fileLength).c_str());
    UvList* list = MakeUvList(set, static_cast<uint32_t>(i), corners);
    if (!list) {
      outOfMemory = true;
      return Fail(why, "out of memory for the corners of polygon %d", i);
    }
    list->polygonIndex = i;
    list->vertexCount = corners;
    for (int k = 0; k < corners; ++k) {
      float u = 0, v = 0;
      int unused = 0;
      if (!text.Float(u) || !text.Float(v) || !text.Int(unused))
        return FailAtLine(why, text.Line(), "expected corner %d of polygon %d (u, v and a number)", k, i);
      set.u[list->first + k] = u;
      set.v[list->first + k] = v;
    }
  }
  return true;
}

}  // namespace

UvList* MakeUvList(UvSet& set, uint32_t polygon, int32_t count) {
  if (polygon >= set.polygonUvs.size()) return nullptr;
  const uint32_t pairs = count > 0 ? static_cast<uint32_t>(count) : 0;
  if (!ReservePairs(set, static_cast<uint64_t>(set.pairCount) + pairs)) return nullptr;
  UvList& list = set.polygonUvs[polygon];
  list.first = set.pairCount;
  list.vertexCount = static_cast<int32_t>(pairs);
  for (uint32_t k = 0; k < pairs; ++k) set.u[set.pairCount + k] = set.v[set.pairCount + k] = 0.0f;
  set.pairCount += pairs;
  return &list;
}

void FreeUvSet(UvSet& set) {
  set.kind = 0;
  set.surfaceCount = 0;
  set.imageNames.clear();
  set.imageNames.shrink_to_fit();
  set.surfaceNames.clear();
  set.surfaceNames.shrink_to_fit();
  set.polygonCount = 0;
  set.polygonUvs.Reset();
  set.u.Reset();
  set.v.Reset();
  set.pairCount = 0;
}

bool UvAt(const UvSet& set, uint32_t polygon, uint32_t corner, float& u, float& v) {
  u = v = 0.0f;
  if (polygon >= set.polygonCount || polygon >= set.polygonUvs.size()) return false;
  const UvList& list = set.polygonUvs[polygon];
  if (list.vertexCount <= 0 || corner >= static_cast<uint32_t>(list.vertexCount)) return false;
  const uint64_t at = static_cast<uint64_t>(list.first) + corner;
  if (at >= set.pairCount) return false;
  u = set.u[at];
  v = set.v[at];
  return true;
}

UvLoadResult ReadUvBytesInto(UvSet& set, std::span<const uint8_t> bytes, Failure* why) {
  FreeUvSet(set);
  bool ok = false, outOfMemory = false;
  try {
    ok = ReadUvText(set, bytes, outOfMemory, why);
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
    Fail(why, "out of memory");
  }
  if (ok) return UvLoadResult::Loaded;
  FreeUvSet(set);
  return outOfMemory ? UvLoadResult::OutOfMemory : UvLoadResult::NotRead;
}

UvLoadResult ReadUvFileInto(UvSet& set, const char* fileName, Failure* why) {
  FreeUvSet(set);
  if (!fileName || !FileExists(fileName)) return Fail(why, "no such file"), UvLoadResult::NotRead;
  UvLoadResult result = UvLoadResult::NotRead;
  try {
    std::vector<uint8_t> bytes;
    ScopedFile file(FileOpen(fileName, "rb"));
    const int64_t length = file ? FileLength(file.get()) : -1;
    if (length < 0) {
      Fail(why, "cannot be read");
    } else {
      bytes.resize(static_cast<size_t>(length));
      if (length && FileRead(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) Fail(why, "cannot be read");
      else result = ReadUvBytesInto(set, bytes, why);
    }
  } catch (const std::bad_alloc&) {
    Fail(why, "out of memory");
    result = UvLoadResult::OutOfMemory;
  }
  if (result != UvLoadResult::Loaded && why && why->file.empty()) why->file = fileName;
  return result;
}

bool LoadUvFile(UvSet& set, const char* fileName, Failure* why) {
  return ReadUvFileInto(set, fileName, why) == UvLoadResult::Loaded;
}
bool LoadUvBytes(UvSet& set, std::span<const uint8_t> bytes, Failure* why) {
  return ReadUvBytesInto(set, bytes, why) == UvLoadResult::Loaded;
}

PlanarWrapFlags DefaultPlanarWrapFlags() {
  PlanarWrapFlags f{};
  // The scale flips that make a LightWave planar map come out the right way up.
  f.flip[PLANAR_AXIS_X][PLANAR_PARAM_SCALE_U] = true;
  f.flip[PLANAR_AXIS_Y][PLANAR_PARAM_SCALE_U] = true;
  f.flip[PLANAR_AXIS_X][PLANAR_PARAM_SCALE_V] = true;
  f.flip[PLANAR_AXIS_Y][PLANAR_PARAM_SCALE_V] = true;
  f.flip[PLANAR_AXIS_Z][PLANAR_PARAM_SCALE_V] = true;
  return f;
}

PlanarWrapFlags& GetPlanarWrapFlags() {
  static PlanarWrapFlags flags = DefaultPlanarWrapFlags();
  return flags;
}
