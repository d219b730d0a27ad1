#include "LabAssembler.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <algorithm>
#include <unordered_map>

const char* const kLabGrammar =
    "LAB text, as labp reads it (after the C preprocessor has expanded hmd/hmd.def):\n"
    "\n"
    "  file       := { statement }\n"
    "  statement  := label ':' | item ';' | ';'\n"
    "  item       := expr                       one 32-bit word\n"
    "              | '@half' '(' expr ')'       a 16-bit half\n"
    "              | '@byte' '(' expr ')'       a byte\n"
    "              | '@map' '(' item ')'        the item with its top bit set (bit 31 of a\n"
    "                                           word, 15 of a half, 7 of a byte)\n"
    "              | '@coordm' '(' expr ',' expr ',' expr ',' expr ',' expr ',' expr ')'\n"
    "                                           a MATRIX (8 words): rotations about x, y, z\n"
    "                                           (4096 = a full turn; x first, then y, then z)\n"
    "                                           as 3x3 halves in 4.12 fixed point and a pad\n"
    "                                           half, then the translation x, y, z as words\n"
    "  expr       := C integer expression of numbers, labels and ( ) ~ - + !\n"
    "                * / % + - << >> & ^ | (with C precedence), 64-bit signed arithmetic\n"
    "  number     := decimal, 0x hexadecimal or 0 octal, with optional u/l suffixes\n"
    "  label      := C identifier; its value is its byte offset from the start of the file\n"
    "\n"
    "Layout: items follow each other little-endian. A half is aligned to 2 bytes; a word,\n"
    "@coordm and a label are aligned to 4 (padding bytes are 0), so halves and bytes pack\n"
    "into 32-bit words in the order written. The output is padded to a whole word.\n"
    "A word's value must fit in 32 bits (signed or unsigned); halves and bytes keep their\n"
    "low 16 and 8 bits. Labels may be used before they are defined, and only once defined.\n"
    "Comments (/* */ and //) are skipped; preprocessor line markers (# N \"file\") set the\n"
    "file and line named in messages; any other '#' line is refused.\n";

namespace {

struct Location {
  int line = 0;
  int file = 0;  // index into the file names
};

enum class Tok { End, Ident, Number, Punct, At };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier or punctuator
  uint64_t value = 0;
  Location loc;
};

struct Node {
  char op = 0;  // 'n' number, 'l' label, 'u' unary (text in unary), else binary operator code
  char unary = 0;
  int64_t value = 0;
  std::string name;
  int lhs = -1, rhs = -1;
  int depth = 1;  // of the tree below, so evaluation never recurses too deep
  Location loc;
};

enum class ItemKind { Word, Half, Byte, Coordm };

struct Item {
  ItemKind kind = ItemKind::Word;
  bool mark = false;
  int exprs[6] = {-1, -1, -1, -1, -1, -1};
  uint32_t offset = 0;
  Location loc;
};

struct Failure {
  Location loc;
  std::string what;
};

class Assembler {
 public:
  Assembler(std::string_view text, const std::string& name) : text_(text) { files_.push_back(name); }

  bool Run(std::vector<uint8_t>& out, std::string& error) {
    try {
      Tokenize();
      Parse();
      Emit(out);
      return true;
    } catch (const Failure& f) {
      error = files_[static_cast<size_t>(f.loc.file)] + ":" + std::to_string(f.loc.line) + ": " + f.what;
      out.clear();
      return false;
    }
  }

 private:
  [[noreturn]] void Fail(Location loc, std::string what) { throw Failure{loc, std::move(what)}; }

  // ---- tokens ----
  void Tokenize() {
    size_t i = 0;
    int line = 1;
    bool lineStart = true;
    const size_t n = text_.size();
    while (i < n) {
      const char c = text_[i];
      const Location here{line, file_};
      if (c == '\n') {
        ++line, ++i, lineStart = true;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++i;
        continue;
      }
      if (c == '/' && i + 1 < n && text_[i + 1] == '*') {
        const size_t end = text_.find("*/", i + 2);
        if (end == std::string_view::npos) Fail(here, "comment without its end");
        for (size_t k = i; k < end; ++k) line += text_[k] == '\n';
        i = end + 2;
        continue;
      }
      if (c == '/' && i + 1 < n && text_[i + 1] == '/') {
        while (i < n && text_[i] != '\n') ++i;
        continue;
      }
      if (c == '#' && lineStart) {
        size_t end = text_.find('\n', i);
        if (end == std::string_view::npos) end = n;
        line = Directive(text_.substr(i + 1, end - i - 1), here);
        i = end;
        if (i < n) ++i;
        lineStart = true;
        continue;
      }
      lineStart = false;
      Token t;
      t.loc = here;
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        size_t j = i;
        while (j < n && (std::isalnum(static_cast<unsigned char>(text_[j])) || text_[j] == '_')) ++j;
        t.kind = Tok::Ident;
        t.text = std::string(text_.substr(i, j - i));
        i = j;
      } else if (std::isdigit(static_cast<unsigned char>(c))) {
        size_t j = i;
        while (j < n && (std::isalnum(static_cast<unsigned char>(text_[j])) || text_[j] == '_')) ++j;
        t.kind = Tok::Number;
        t.value = ParseNumber(text_.substr(i, j - i), here);
        i = j;
      } else if (c == '@') {
        t.kind = Tok::At;
        ++i;
      } else {
        static const char* const kTwo[] = {"<<", ">>"};
        t.kind = Tok::Punct;
        for (const char* two : kTwo)
          if (text_.substr(i, 2) == two) t.text = two;
        if (t.text.empty()) {
          if (!std::strchr("()~-+!*/%&^|,:;", c) || c == 0)
            Fail(here, std::string("unexpected character '") + (std::isprint(static_cast<unsigned char>(c)) ? std::string(1, c) : "?") + "'");
          t.text = std::string(1, c);
        }
        i += t.text.size();
      }
      tokens_.push_back(std::move(t));
    }
    Token end;
    end.loc = Location{line, file_};
    tokens_.push_back(end);
  }

  // A line marker "# N "file" flags" or "#line N "file"" names the next line.
  int Directive(std::string_view body, Location here) {
    size_t i = 0;
    const auto skip = [&] {
      while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
    };
    skip();
    if (body.substr(i, 4) == "line") i += 4, skip();
    if (i >= body.size() || !std::isdigit(static_cast<unsigned char>(body[i])))
      Fail(here, "preprocessor directive in the text: run it through the C preprocessor first");
    long long number = 0;
    while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) {
      number = number * 10 + (body[i] - '0');
      if (number > std::numeric_limits<int>::max()) Fail(here, "line marker out of range");
      ++i;
    }
    skip();
    if (i < body.size() && body[i] == '"') {
      std::string name;
      ++i;
      while (i < body.size() && body[i] != '"') {
        if (body[i] == '\\' && i + 1 < body.size()) ++i;
        name += body[i++];
      }
      if (i >= body.size()) Fail(here, "line marker without the end of its file name");
      files_.push_back(name);
      file_ = static_cast<int>(files_.size() - 1);
    }
    return static_cast<int>(number);
  }

  uint64_t ParseNumber(std::string_view s, Location here) {
    while (!s.empty() && (s.back() == 'u' || s.back() == 'U' || s.back() == 'l' || s.back() == 'L'))
      s.remove_suffix(1);
    int base = 10;
    if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
      base = 16, s.remove_prefix(2);
    else if (s.size() > 1 && s[0] == '0')
      base = 8, s.remove_prefix(1);
    if (s.empty()) Fail(here, "malformed number");
    uint64_t v = 0;
    for (char c : s) {
      int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
              : std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                             : 99;
      if (d >= base) Fail(here, "malformed number");
      if (v > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
        Fail(here, "number out of range");
      v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) Fail(here, "number out of range");
    return v;
  }

  // ---- statements ----
  const Token& Peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
  bool IsPunct(const Token& t, const char* p) const { return t.kind == Tok::Punct && t.text == p; }
  void Expect(const char* p) {
    if (!IsPunct(Peek(), p)) Fail(Peek().loc, std::string("expected '") + p + "'" + Describe(Peek()));
    ++pos_;
  }
  std::string Describe(const Token& t) const {
    switch (t.kind) {
      case Tok::End: return " at the end of the text";
      case Tok::Ident: return " before '" + t.text + "'";
      case Tok::Number: return " before a number";
      case Tok::At: return " before '@'";
      case Tok::Punct: return " before '" + t.text + "'";
    }
    return {};
  }

  void Align(uint32_t to) {
    while (size_ % to) ++size_;
  }

  void Parse() {
    while (Peek().kind != Tok::End) {
      if (IsPunct(Peek(), ";")) {
        ++pos_;
        continue;
      }
      if (Peek().kind == Tok::Ident && IsPunct(Peek(1), ":")) {
        const Token& name = Peek();
        Align(4);
        if (!labels_.emplace(name.text, size_).second) Fail(name.loc, "label " + name.text + " defined twice");
        pos_ += 2;
        continue;
      }
      Item item;
      ParseItem(item, 0);
      Expect(";");
      switch (item.kind) {
        case ItemKind::Word: Align(4), item.offset = size_, size_ += 4; break;
        case ItemKind::Half: Align(2), item.offset = size_, size_ += 2; break;
        case ItemKind::Byte: item.offset = size_, size_ += 1; break;
        case ItemKind::Coordm: Align(4), item.offset = size_, size_ += 32; break;
      }
      if (size_ > kMaxSize) Fail(item.loc, "output larger than 256 MiB");
      items_.push_back(item);
    }
  }

  void ParseItem(Item& item, int depth) {
    item.loc = Peek().loc;
    if (depth > 8) Fail(item.loc, "@map nested too deeply");
    if (Peek().kind != Tok::At) {
      item.kind = ItemKind::Word;
      item.exprs[0] = ParseExpr(0);
      return;
    }
    ++pos_;
    const Token& word = Peek();
    if (word.kind != Tok::Ident) Fail(word.loc, "expected an item name after '@'");
    const std::string name = word.text;
    ++pos_;
    Expect("(");
    if (name == "map") {
      ParseItem(item, depth + 1);
      item.mark = true;
    } else if (name == "half" || name == "byte") {
      item.kind = name == "half" ? ItemKind::Half : ItemKind::Byte;
      item.exprs[0] = ParseExpr(0);
    } else if (name == "coordm") {
      item.kind = ItemKind::Coordm;
      for (int k = 0; k < 6; ++k) {
        if (k) Expect(",");
        item.exprs[k] = ParseExpr(0);
      }
    } else {
      Fail(word.loc, "unknown item @" + name);
    }
    Expect(")");
  }

  // ---- expressions (C precedence) ----
  static int Precedence(const std::string& op) {
    if (op == "|") return 1;
    if (op == "^") return 2;
    if (op == "&") return 3;
    if (op == "<<" || op == ">>") return 4;
    if (op == "+" || op == "-") return 5;
    if (op == "*" || op == "/" || op == "%") return 6;
    return 0;
  }

  int Add(Node node) {
    for (int child : {node.lhs, node.rhs})
      if (child >= 0) node.depth = std::max(node.depth, nodes_[static_cast<size_t>(child)].depth + 1);
    if (node.depth > 1000) Fail(node.loc, "expression too long");
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size() - 1);
  }

  int ParseExpr(int depth) {
    if (depth > 200) Fail(Peek().loc, "expression nested too deeply");
    return ParseBinary(1, depth);
  }

  int ParseBinary(int minPrec, int depth) {
    int lhs = ParseUnary(depth);
    for (;;) {
      const Token& t = Peek();
      const int prec = t.kind == Tok::Punct ? Precedence(t.text) : 0;
      if (prec < minPrec || prec == 0) return lhs;
      Node node;
      node.loc = t.loc;
      node.op = t.text == "<<" ? 'L' : t.text == ">>" ? 'R' : t.text[0];
      ++pos_;
      node.lhs = lhs;
      node.rhs = ParseBinary(prec + 1, depth + 1);
      lhs = Add(std::move(node));
    }
  }

  int ParseUnary(int depth) {
    if (depth > 200) Fail(Peek().loc, "expression nested too deeply");
    const Token& t = Peek();
    Node node;
    node.loc = t.loc;
    if (t.kind == Tok::Number) {
      ++pos_;
      node.op = 'n';
      node.value = static_cast<int64_t>(t.value);
      return Add(std::move(node));
    }
    if (t.kind == Tok::Ident) {
      ++pos_;
      node.op = 'l';
      node.name = t.text;
      return Add(std::move(node));
    }
    if (IsPunct(t, "(")) {
      ++pos_;
      const int inner = ParseExpr(depth + 1);
      Expect(")");
      return inner;
    }
    if (IsPunct(t, "-") || IsPunct(t, "+") || IsPunct(t, "~") || IsPunct(t, "!")) {
      ++pos_;
      node.op = 'u';
      node.unary = t.text[0];
      node.lhs = ParseUnary(depth + 1);
      return Add(std::move(node));
    }
    Fail(t.loc, "expected a value" + Describe(t));
  }

  int64_t Eval(int id) {
    const Node& n = nodes_[static_cast<size_t>(id)];
    switch (n.op) {
      case 'n': return n.value;
      case 'l': {
        const auto it = labels_.find(n.name);
        if (it == labels_.end()) Fail(n.loc, "undefined label " + n.name);
        return it->second;
      }
      case 'u': {
        const int64_t v = Eval(n.lhs);
        if (n.unary == '-') {
          if (v == std::numeric_limits<int64_t>::min()) Fail(n.loc, "arithmetic overflow");
          return -v;
        }
        if (n.unary == '~') return ~v;
        if (n.unary == '!') return !v;
        return v;
      }
      default: break;
    }
    const int64_t a = Eval(n.lhs), b = Eval(n.rhs);
    int64_t r = 0;
    switch (n.op) {
      case '+':
        if (__builtin_add_overflow(a, b, &r)) Fail(n.loc, "arithmetic overflow");
        return r;
      case '-':
        if (__builtin_sub_overflow(a, b, &r)) Fail(n.loc, "arithmetic overflow");
        return r;
      case '*':
        if (__builtin_mul_overflow(a, b, &r)) Fail(n.loc, "arithmetic overflow");
        return r;
      case '/':
      case '%':
        if (b == 0) Fail(n.loc, "division by zero");
        if (a == std::numeric_limits<int64_t>::min() && b == -1) Fail(n.loc, "arithmetic overflow");
        return n.op == '/' ? a / b : a % b;
      case 'L':
        if (b < 0 || b > 63) Fail(n.loc, "shift out of range");
        return static_cast<int64_t>(static_cast<uint64_t>(a) << b);
      case 'R':
        if (b < 0 || b > 63) Fail(n.loc, "shift out of range");
        return a >> b;
      case '&': return a & b;
      case '^': return a ^ b;
      case '|': return a | b;
      default: Fail(n.loc, "internal: unknown operator");
    }
  }

  // ---- output ----
  static void Put(std::vector<uint8_t>& out, uint32_t at, uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out[at + static_cast<uint32_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
  }

  uint32_t Word(int expr, const Item& item) {
    const int64_t v = Eval(expr);
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max())
      Fail(item.loc, "value " + std::to_string(v) + " does not fit in 32 bits");
    return static_cast<uint32_t>(v);
  }

  void Emit(std::vector<uint8_t>& out) {
    Align(4);
    out.assign(size_, 0);
    for (const Item& item : items_) {
      switch (item.kind) {
        case ItemKind::Word: Put(out, item.offset, Word(item.exprs[0], item) | (item.mark ? 0x80000000u : 0), 4); break;
        case ItemKind::Half:
          Put(out, item.offset, (static_cast<uint64_t>(Eval(item.exprs[0])) & 0xFFFF) | (item.mark ? 0x8000u : 0), 2);
          break;
        case ItemKind::Byte:
          Put(out, item.offset, (static_cast<uint64_t>(Eval(item.exprs[0])) & 0xFF) | (item.mark ? 0x80u : 0), 1);
          break;
        case ItemKind::Coordm: EmitMatrix(out, item); break;
      }
    }
  }

  void EmitMatrix(std::vector<uint8_t>& out, const Item& item) {
    double angle[3];
    for (int k = 0; k < 3; ++k) {
      const int64_t v = Eval(item.exprs[k]);
      angle[k] = static_cast<double>(v % 4096) * 2.0 * std::numbers::pi / 4096.0;
    }
    const double cx = std::cos(angle[0]), sx = std::sin(angle[0]);
    const double cy = std::cos(angle[1]), sy = std::sin(angle[1]);
    const double cz = std::cos(angle[2]), sz = std::sin(angle[2]);
    // Rz * Ry * Rx: x is turned first.
    const double m[3][3] = {
        {cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx},
        {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx},
        {-sy, cy * sx, cy * cx},
    };
    uint32_t at = item.offset;
    for (const auto& row : m)
      for (double e : row) Put(out, at, static_cast<uint64_t>(static_cast<int64_t>(std::lround(e * 4096.0))) & 0xFFFF, 2), at += 2;
    at += 2;  // pad half
    for (int k = 3; k < 6; ++k) Put(out, at, Word(item.exprs[k], item), 4), at += 4;
    if (item.mark) out[item.offset + 3] |= 0x80;
  }

  static constexpr uint32_t kMaxSize = 256u << 20;
  std::string_view text_;
  std::vector<std::string> files_;
  int file_ = 0;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::vector<Node> nodes_;
  std::vector<Item> items_;
  std::unordered_map<std::string, uint32_t> labels_;
  uint32_t size_ = 0;
};

}  // namespace

bool AssembleLab(std::string_view text, std::vector<uint8_t>& out, std::string& error, const std::string& sourceName) {
  out.clear();
  error.clear();
  Assembler assembler(text, sourceName);
  return assembler.Run(out, error);
}
