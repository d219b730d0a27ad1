// Declared counts of .X files against the bytes that could hold them. The
// check only refuses what it is sure of: where it loses the thread of a file
// (an unknown token, text where a number belongs) it stops and lets the
// library give its own reason.
#include "rm/XFileCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace rm {

namespace {

constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max();

struct Token {
  enum Kind { kEnd, kError, kName, kNumber, kString, kOpen, kClose, kOther } kind = kEnd;
  std::string_view text;  // a name; a number as written (text files)
  uint64_t value = 0;     // a number read as a count; kHuge when it cannot be one
  bool integer = false;
  size_t offset = 0;
  int32_t line = 0;  // text files only
};

class Lexer {
 public:
  Lexer(const uint8_t* data, size_t size, size_t start) : p_(data + start), begin_(data), end_(data + size) {}
  virtual ~Lexer() = default;
  // The next token; braces are counted, so Depth() says how deep it is.
  Token Next() {
    Token t = Read();
    if (t.kind == Token::kOpen) ++depth_;
    if (t.kind == Token::kClose && depth_ > 0) --depth_;
    return t;
  }
  int32_t Depth() const { return depth_; }
  // A string of an object's data, read as the library reads one.
  virtual bool String(Token& t) {
    t = Next();
    return t.kind == Token::kString;
  }
  // The next number of an object's data, read as the library reads one (a
  // float, or a count or an index); false, with `t` as what was found, when
  // there is none.
  virtual bool Number(bool isFloat, Token& t) = 0;
  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  // Bytes one number takes at the least.
  virtual uint64_t NumberBytes() const = 0;
  size_t Offset() const { return static_cast<size_t>(p_ - begin_); }
  virtual int32_t Line() const { return 0; }

 protected:
  const uint8_t* p_;
  const uint8_t* begin_;
  const uint8_t* end_;

 private:
  virtual Token Read() = 0;
  int32_t depth_ = 0;
};

class TextLexer : public Lexer {
 public:
  TextLexer(const uint8_t* data, size_t size, size_t start, int32_t line) : Lexer(data, size, start), line_(line) {}
  uint64_t NumberBytes() const override { return 1; }

  bool Number(bool isFloat, Token& t) override {
    t = Next();
    return t.kind == Token::kNumber && (isFloat || t.integer);
  }
  int32_t Line() const override { return line_; }
  // Data strings run from quote to quote, whatever lies between.
  bool String(Token& t) override {
    SkipBlanks();
    t = Token{};
    t.offset = Offset(), t.line = line_;
    if (p_ >= end_ || *p_ != '"') return false;
    const void* close = std::memchr(p_ + 1, '"', static_cast<size_t>(end_ - p_ - 1));
    if (!close) return false;
    for (const uint8_t* c = p_; c < static_cast<const uint8_t*>(close); ++c) line_ += *c == '\n';
    p_ = static_cast<const uint8_t*>(close) + 1;
    t.kind = Token::kString;
    return true;
  }

  Token Read() override {
    SkipBlanks();
    Token t;
    t.offset = Offset(), t.line = line_;
    if (p_ >= end_) return t;
    const uint8_t c = *p_;
    if (c == '{' || c == '}') {
      ++p_;
      t.kind = c == '{' ? Token::kOpen : Token::kClose;
    } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && p_ + 1 < end_ && (IsDigit(p_[1]) || p_[1] == '.'))) {
      Number(t);
    } else {
      // A word, as the library splits them: quotes and class ids are no
      // more than its first character.
      const uint8_t* start = p_;
      while (p_ < end_ && !IsBlank(*p_) && *p_ != '{' && *p_ != '}') ++p_;
      t.kind = c == '"' ? Token::kString : c == '<' ? Token::kOther : Token::kName;
      t.text = {reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start)};
    }
    return t;
  }

 private:
  static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
  static bool IsBlank(uint8_t c) { return std::isspace(c) || c == ';' || c == ','; }

  void SkipBlanks() {
    while (p_ < end_) {
      if (*p_ == '\n') ++line_;
      if (IsBlank(*p_)) {
        ++p_;
      } else if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
        while (p_ < end_ && *p_ != '\n') ++p_;
      } else {
        break;
      }
    }
  }

  // Integers are counts; anything with a point, an exponent or a "#INF"-like
  // tail is a float. A sign after the digits starts the next number.
  void Number(Token& t) {
    const uint8_t* start = p_;
    const bool negative = *p_ == '-';
    if (*p_ == '-' || *p_ == '+') ++p_;
    uint64_t value = 0;
    bool overflow = false;
    while (p_ < end_ && IsDigit(*p_)) {
      const uint64_t digit = *p_++ - '0';
      if (value > (kHuge - digit) / 10) overflow = true;
      else value = value * 10 + digit;
    }
    t.integer = true;
    if (p_ < end_ && (*p_ == '.' || *p_ == 'e' || *p_ == 'E')) {
      t.integer = false;
      while (p_ < end_ && (IsDigit(*p_) || *p_ == '.' || *p_ == '#' || std::isalpha(*p_) ||
                           ((*p_ == '-' || *p_ == '+') && (p_[-1] == 'e' || p_[-1] == 'E'))))
        ++p_;
    }
    t.kind = Token::kNumber;
    t.value = negative || overflow || value > 0xFFFFFFFFu ? kHuge : value;
    t.text = {reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start)};
  }

  int32_t line_;
};

// Binary tokens (little-endian words, some followed by a record); a list of
// numbers gives one number token per element.
class BinaryLexer : public Lexer {
 public:
  BinaryLexer(const uint8_t* data, size_t size, size_t start, uint32_t floatBytes, Failure* why)
      : Lexer(data, size, start), floatBytes_(floatBytes), why_(why) {}
  uint64_t NumberBytes() const override { return 4; }

  // Inside data the library takes a list token of the kind it wants as the
  // start of a list, and any other word as the mark of a single number; a
  // list of none leaves it reading on as if the list never ended.
  bool Number(bool isFloat, Token& t) override {
    t = Token{};
    t.offset = Offset();
    if (listLeft_ == 0) {
      if (Left() < 2) return false;
      const uint16_t token = static_cast<uint16_t>(p_[0] | p_[1] << 8);
      p_ += 2;
      listLeft_ = 1;
      if (token == (isFloat ? 7 : 6)) {
        if (Left() < 4) return false;
        const uint64_t count = Dword(p_);
        p_ += 4;
        if (!ListFits(t, count, token)) return false;
        listLeft_ = static_cast<uint32_t>(count);
      }
      t.offset = Offset();
    }
    --listLeft_;
    const size_t size = isFloat ? floatBytes_ : 4;
    if (Left() < size) return false;
    t.kind = Token::kNumber, t.integer = true;
    t.value = isFloat ? FloatCount(p_) : Dword(p_);
    p_ += size;
    return true;
  }

  Token Read() override {
    Token t;
    t.offset = Offset();
    if (listLeft_ > 0) {
      --listLeft_;
      t.kind = Token::kNumber;
      t.integer = true;
      if (Left() < (listFloats_ ? floatBytes_ : 4)) return Token{};
      if (listFloats_) {
        t.value = FloatCount(p_);
        p_ += floatBytes_;
      } else {
        t.value = Dword(p_);
        p_ += 4;
      }
      return t;
    }
    if (Left() < 2) return t;
    const uint16_t token = static_cast<uint16_t>(p_[0] | p_[1] << 8);
    p_ += 2;
    switch (token) {
      case 1:  // name
      case 2: {  // string, then a separator token
        // The library copies a name as long as it says, wherever the file ends.
        if (Left() < 4 || Dword(p_) > Left() - 4) return Cut(t, token == 1 ? "a name" : "a string");
        const size_t length = Dword(p_);
        t.text = {reinterpret_cast<const char*>(p_ + 4), length};
        p_ += 4 + length;
        // A string ends with a separator token, written as a double word.
        if (token == 2 && Left() >= 2 && (p_[0] == 19 || p_[0] == 20) && p_[1] == 0) {
          p_ += 2;
          if (Left() >= 2 && p_[0] == 0 && p_[1] == 0) p_ += 2;
        }
        t.kind = token == 1 ? Token::kName : Token::kString;
        return t;
      }
      case 3:  // one integer
        if (Left() < 4) return Cut(t, "an integer");
        t.kind = Token::kNumber, t.integer = true, t.value = Dword(p_);
        p_ += 4;
        return t;
      case 5:  // class id
        if (Left() < 16) return Cut(t, "a class id");
        p_ += 16;
        t.kind = Token::kOther;
        return t;
      case 6:    // integer list
      case 7: {  // float list
        if (Left() < 4) return Cut(t, "a list");
        const uint64_t count = Dword(p_);
        p_ += 4;
        if (!ListFits(t, count, token)) return t;
        listLeft_ = static_cast<uint32_t>(count), listFloats_ = token == 7;
        return Read();
      }
      case 10:
        t.kind = Token::kOpen;
        return t;
      case 11:
        t.kind = Token::kClose;
        return t;
      case 31:
        t.kind = Token::kName, t.text = "template";
        return t;
      default:  // punctuation, type names, and words that are no token, which the library reads past too
        t.kind = Token::kOther;
        return t;
    }
  }

 private:
  Token Cut(Token& t, const char* what) {
    FailAt(why_, nullptr, static_cast<int64_t>(t.offset), "%s runs past the end of the data (%s bytes left)", what,
           Thousands(static_cast<int64_t>(Left())).c_str());
    t.kind = Token::kError;
    return t;
  }

  bool ListFits(Token& t, uint64_t count, uint16_t token) {
    const uint64_t each = token == 6 ? 4 : floatBytes_;
    if (count <= Left() / each) return true;
    FailAt(why_, nullptr, static_cast<int64_t>(t.offset), "a list of %s %s needs %s bytes but %s are left",
           Thousands(static_cast<int64_t>(count)).c_str(), token == 6 ? "integers" : "floats",
           Thousands(static_cast<int64_t>(count * each)).c_str(), Thousands(static_cast<int64_t>(Left())).c_str());
    t.kind = Token::kError;
    return false;
  }

  uint64_t FloatCount(const uint8_t* p) const {
    double v = 0;
    if (floatBytes_ == 8) {
      std::memcpy(&v, p, 8);
    } else {
      float f;
      std::memcpy(&f, p, 4);
      v = f;
    }
    return v >= 0 && v <= 4294967295.0 ? static_cast<uint64_t>(v) : kHuge;
  }

  static uint32_t Dword(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
  }

  uint32_t floatBytes_;
  Failure* why_;
  uint32_t listLeft_ = 0;
  bool listFloats_ = false;
};

// What a template's data starts with; the library allocates from each count.
// Element types: 'i' a count or an index, 'f' a float.
enum class Step { kArray, kFaces, kKeys, kWeights, kNumber, kString };
struct Part {
  Step step;
  const char* what = nullptr;   // the counted elements
  const char* element = "";     // an array element's numbers
};
struct Layout {
  const char* name;
  std::vector<Part> parts;
};

const Layout* FindLayout(std::string_view type) {
  static const std::vector<Layout> layouts = {
      {"Mesh", {{Step::kArray, "vertices", "fff"}, {Step::kFaces, "faces"}}},
      {"MeshNormals", {{Step::kArray, "normals", "fff"}, {Step::kFaces, "faces"}}},
      {"MeshTextureCoords", {{Step::kArray, "texture coordinates", "ff"}}},
      {"MeshVertexColors", {{Step::kArray, "vertex colours", "iffff"}}},
      // The materials follow as objects or references of a few bytes each.
      {"MeshMaterialList", {{Step::kArray, "materials", ""}, {Step::kArray, "face materials", "i"}}},
      {"SkinWeights", {{Step::kString}, {Step::kWeights, "weights"}}},
      {"AnimationKey", {{Step::kNumber}, {Step::kKeys, "keys"}}},
  };
  for (const Layout& l : layouts)
    if (type == l.name) return &l;
  return nullptr;
}

class Scanner {
 public:
  Scanner(Lexer& lexer, Failure* why) : lx_(lexer), why_(why) {}

  bool Run() {
    Token t = lx_.Next();
    while (true) {
      switch (t.kind) {
        case Token::kEnd:
          return true;
        case Token::kError:
          return false;
        case Token::kName: {
          // Templates are declared only at the top; inside an object the
          // word is no more than a name.
          if (t.text == "template" && lx_.Depth() == 0) {
            t = SkipTemplate();
            continue;
          }
          // As the library reads an object's head: any one token before the
          // brace is its name.
          const std::string_view type = t.text;
          t = lx_.Next();
          if (t.kind != Token::kOpen && t.kind != Token::kEnd && t.kind != Token::kError) t = lx_.Next();
          if (t.kind != Token::kOpen) continue;
          const Layout* layout = FindLayout(type);
          if (layout && !Object(*layout)) return false;
          if (layout && complete_ && type == "MeshMaterialList" && !Materials()) return false;
          t = lx_.Next();
          continue;
        }
        default:
          t = lx_.Next();
      }
    }
  }

 private:
  Token SkipTemplate() {
    Token t = lx_.Next();
    while (t.kind != Token::kOpen && t.kind != Token::kEnd && t.kind != Token::kError) t = lx_.Next();
    for (int depth = 0; t.kind != Token::kEnd && t.kind != Token::kError;) {
      if (t.kind == Token::kOpen) ++depth;
      if (t.kind == Token::kClose && --depth == 0) return lx_.Next();
      t = lx_.Next();
    }
    return t;
  }

  // Skips to the brace that closes the one just read; false at the end.
  bool SkipBlock(Token t) {
    for (int depth = 1;; t = lx_.Next()) {
      if (t.kind == Token::kEnd || t.kind == Token::kError) return false;
      if (t.kind == Token::kOpen) ++depth;
      if (t.kind == Token::kClose && --depth == 0) return true;
    }
  }

  // The rest of a material list, read as the library reads it: a reference
  // or a Material object each gives a material, anything else is skipped to
  // the end of its block. A list of none makes the library fail on a null
  // material (or allocate without bound), so it is refused here.
  bool Materials() {
    const size_t offset = listStart_.offset;
    int32_t materials = 0;
    for (Token t = lx_.Next(); t.kind != Token::kClose; t = lx_.Next()) {
      if (t.kind == Token::kError) return false;
      if (t.kind == Token::kEnd) break;
      if (t.kind == Token::kOpen) {
        ++materials;
      } else {
        if (t.kind == Token::kName && t.text == "Material") ++materials;
        while (t.kind != Token::kOpen && t.kind != Token::kEnd && t.kind != Token::kError) t = lx_.Next();
        if (t.kind == Token::kError) return false;
        if (t.kind == Token::kEnd) break;
      }
      if (!SkipBlock(lx_.Next())) break;
    }
    if (materials > 0) return true;
    FailAt(why_, nullptr, static_cast<int64_t>(offset), "MeshMaterialList holds no Material");
    if (why_) why_->line = listStart_.line;
    return false;
  }

  // Walks the numbers an object starts with, as the library reads them.
  // False only when a count cannot fit; where the numbers are not what the
  // layout says, the rest is left to the library.
  bool Object(const Layout& layout) {
    Token n;
    const auto numbers = [&](const char* types) {
      for (; *types; ++types)
        if (!lx_.Number(*types == 'f', n)) return false;
      return true;
    };
    complete_ = false;
    listStart_ = Token{};
    listStart_.offset = lx_.Offset(), listStart_.line = lx_.Line();
    // Faces index the array before them; the library does not check that
    // a normal's index is in range before reading it.
    uint64_t indexed = kHuge;
    const char* indexedWhat = "";
    for (const Part& part : layout.parts) {
      if (part.step == Step::kString) {
        if (!lx_.String(n)) return n.kind != Token::kError;
        continue;
      }
      if (!lx_.Number(false, n)) return n.kind != Token::kError;
      if (part.step == Step::kNumber) continue;
      const uint64_t perElement =
          part.step == Step::kArray ? std::strlen(part.element) : part.step == Step::kFaces ? 1 : 2;
      if (!Fits(layout, part.what, n, perElement)) return false;
      const uint64_t count = n.value;
      if (part.step == Step::kArray) indexed = count, indexedWhat = part.what;
      if (part.step == Step::kWeights) {  // the vertex indices, then as many weights
        for (uint64_t i = 0; i < 2 * count; ++i)
          if (!lx_.Number(i >= count, n)) return n.kind != Token::kError;
        continue;
      }
      for (uint64_t i = 0; i < count; ++i) {
        if (part.step == Step::kArray) {
          if (!numbers(part.element)) return n.kind != Token::kError;
          continue;
        }
        // A face: its index count, then the indices; a key: its time, then
        // its value count and values.
        if (part.step == Step::kKeys && !lx_.Number(false, n)) return n.kind != Token::kError;
        if (!lx_.Number(false, n)) return n.kind != Token::kError;
        const std::string what = (part.step == Step::kKeys ? "key " : "face ") + Thousands(static_cast<int64_t>(i)) +
                                 (part.step == Step::kKeys ? " values" : " indices");
        if (!Fits(layout, what.c_str(), n, 1)) return false;
        const uint64_t values = n.value;
        for (uint64_t k = 0; k < values; ++k) {
          if (!lx_.Number(part.step == Step::kKeys, n)) return n.kind != Token::kError;
          if (part.step == Step::kFaces && n.value >= indexed) {
            FailAt(why_, nullptr, static_cast<int64_t>(n.offset), "%s face %s names index %s of %s %s", layout.name,
                   Thousands(static_cast<int64_t>(i)).c_str(), Shown(n).c_str(),
                   Thousands(static_cast<int64_t>(indexed)).c_str(), indexedWhat);
            if (why_ && why_->offset == static_cast<int64_t>(n.offset)) why_->line = n.line;
            return false;
          }
        }
      }
    }
    complete_ = true;
    return true;
  }

  // A number as the file has it when it is no count at all (negative, huge).
  static std::string Shown(const Token& t) {
    return t.value == kHuge && !t.text.empty() ? std::string(t.text) : Thousands(static_cast<int64_t>(t.value));
  }

  bool Fits(const Layout& layout, const char* what, const Token& count, uint64_t numbers) {
    const uint64_t each = numbers ? numbers * lx_.NumberBytes() : 1;
    const uint64_t left = lx_.Left();
    if (count.value != kHuge && count.value <= left / each) return true;
    const std::string declared = Shown(count);
    const std::string need = count.value == kHuge ? "more bytes than a file has"
                                                  : Thousands(static_cast<int64_t>(count.value * each)) + " bytes";
    FailAt(why_, nullptr, static_cast<int64_t>(count.offset), "%s declares %s %s: they need at least %s but %s are left",
           layout.name, declared.c_str(), what, need.c_str(), Thousands(static_cast<int64_t>(left)).c_str());
    if (why_ && why_->offset == static_cast<int64_t>(count.offset)) why_->line = count.line;
    return false;
  }

  Lexer& lx_;
  Failure* why_;
  Token listStart_;  // where the last object's data started
  bool complete_ = false;  // whether its numbers were all there
};

bool Scan(const uint8_t* data, size_t size, size_t start, bool binary, uint32_t floatBytes, Failure* into) {
  if (binary) {
    BinaryLexer lexer(data, size, start, floatBytes, into);
    return Scanner(lexer, into).Run();
  }
  // The library reads a text file's data from the line after its header.
  int32_t line = 1;
  if (start > 0) {
    const void* end = std::memchr(data + start, '\n', size - start);
    start = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - data) + 1 : size;
    line = 2;
  }
  TextLexer lexer(data, size, start, line);
  return Scanner(lexer, into).Run();
}

// Compressed files: after the header, the unpacked size and two more bytes,
// then blocks of a 16-bit length, "CK" and that many bytes of deflate data,
// each unpacking to at most one 32 KB window (plus a few bytes of slack the
// reading library allows) and using the previous block's data as its
// dictionary. The library reserves a whole window per block up front.
constexpr size_t kBlockWindow = 32786;

bool Unpack(const uint8_t* data, size_t size, std::vector<uint8_t>& out, Failure* why) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return true;  // cannot tell; leave it to the library
  struct End {
    z_stream& z;
    ~End() { inflateEnd(&z); }
  } end{z};
  size_t p = 16 + 6;
  size_t blocks = 0;
  while (p + 3 < size) {
    const size_t length = static_cast<size_t>(data[p] | data[p + 1] << 8);
    if (length >= kBlockWindow || data[p + 2] != 'C' || data[p + 3] != 'K')
      return FailAt(why, nullptr, static_cast<int64_t>(p), "compressed block %zu does not start with a length and \"CK\"",
                    blocks);
    p += 4;
    const size_t before = out.size();
    out.resize(before + kBlockWindow);
    z.next_in = const_cast<Bytef*>(data + p);
    z.avail_in = static_cast<uInt>(std::min(length, size - p));
    z.next_out = out.data() + before;
    z.avail_out = static_cast<uInt>(kBlockWindow);
    const int result = inflate(&z, Z_SYNC_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END)
      return FailAt(why, nullptr, static_cast<int64_t>(p - 4), "compressed block %zu does not unpack: %s", blocks,
                    z.msg ? z.msg : "no data");
    const size_t produced = kBlockWindow - z.avail_out;
    out.resize(before + produced);
    inflateReset(&z);
    if (produced) inflateSetDictionary(&z, out.data() + before, static_cast<uInt>(produced));
    p += length;
    ++blocks;
  }
  // Writers fill each block but the last; many nearly empty blocks would
  // only make the library reserve windows for nothing.
  if (blocks > 1 + out.size() / 4096)
    return Fail(why, "%s compressed blocks hold only %s bytes; the reader would reserve %s bytes for them",
                Thousands(static_cast<int64_t>(blocks)).c_str(), Thousands(static_cast<int64_t>(out.size())).c_str(),
                Thousands(static_cast<int64_t>(blocks * kBlockWindow)).c_str());
  return true;
}

}  // namespace

bool CheckXCounts(const uint8_t* data, size_t size, Failure* why) {
  if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0) return true;
  Failure local;
  Failure* into = why ? why : &local;
  const std::string_view format(reinterpret_cast<const char*>(data) + 8, 4);
  const uint32_t floatBytes = std::memcmp(data + 12, "0064", 4) == 0 ? 8 : 4;
  if (format == "txt " || format == "bin ") return Scan(data, size, 16, format == "bin ", floatBytes, into);
  if (format != "tzip" && format != "bzip") return true;
  std::vector<uint8_t> unpacked;
  if (!Unpack(data, size, unpacked, into)) return false;
  if (Scan(unpacked.data(), unpacked.size(), 0, format == "bzip", floatBytes, into)) return true;
  // Places in the unpacked data are not places in the file.
  if (into->offset >= 0) {
    const std::string line = into->line ? ", line " + Thousands(into->line) : std::string();
    into->what = "in the unpacked data at byte " + Thousands(into->offset) + line + ": " + into->what;
    into->offset = -1, into->line = 0;
  }
  return false;
}

}  // namespace rm
