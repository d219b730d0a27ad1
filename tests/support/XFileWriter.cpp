#include "XFileWriter.h"

#include <cctype>
#include <sstream>

#include "TestSupport.h"

namespace testsupport {

namespace {

// Floats always with a decimal point: in lists separated by commas, "1,0"
// would read as one number to some readers. (The binary encoding below also
// tells integers from floats by it.)
std::string Str(float v) {
  std::ostringstream s;
  s.precision(9);
  s << std::showpoint << v;
  return s.str();
}
std::string Str(uint32_t v) { return std::to_string(v); }
std::string Str(const std::string& s) { return s; }

std::string Join(const auto& items, const char* sep) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : sep) + Str(item);
  return out;
}

// A counted list: "n;" then the rows, separated by commas, ended by ';'.
template <typename Row>
void List(std::ostream& out, const std::vector<Row>& rows, const auto& format) {
  std::vector<std::string> lines;
  for (const Row& r : rows) lines.push_back(format(r));
  out << rows.size() << ";\n" << Join(lines, ",\n") << ";\n";
}

void Vectors(std::ostream& out, const auto& v) {
  List(out, v, [](const auto& a) { return Join(a, ";") + ";"; });
}

void Faces(std::ostream& out, const std::vector<std::vector<uint32_t>>& faces) {
  List(out, faces, [](const auto& f) { return std::to_string(f.size()) + ";" + Join(f, ",") + ";"; });
}

void Mesh(std::ostream& out, const XMeshSpec& m) {
  out << "Mesh " << (m.name.empty() ? "" : m.name + " ") << "{\n";
  Vectors(out, m.positions);
  Faces(out, m.faces);
  if (!m.materials.empty()) {
    out << "MeshMaterialList {\n" << m.materials.size() << ";\n" << m.faceMaterials.size() << ";\n"
        << Join(m.faceMaterials, ",\n") << ";\n";
    for (const XMaterialSpec& mat : m.materials) {
      out << "Material {\n" << Join(mat.color, ";") << ";;\n" << Str(mat.power) << ";\n" << Join(mat.specular, ";")
          << ";;\n" << Join(mat.emissive, ";") << ";;\n";
      if (!mat.texture.empty()) out << "TextureFilename {\n\"" << mat.texture << "\";\n}\n";
      out << "}\n";
    }
    out << "}\n";
  }
  if (!m.normals.empty()) {
    out << "MeshNormals {\n";
    Vectors(out, m.normals);
    Faces(out, m.faces);
    out << "}\n";
  }
  if (!m.uvs.empty()) {
    out << "MeshTextureCoords {\n";
    Vectors(out, m.uvs);
    out << "}\n";
  }
  if (!m.colors.empty()) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < m.colors.size(); ++i) rows.push_back(std::to_string(i) + ";" + Join(m.colors[i], ";") + ";;");
    out << "MeshVertexColors {\n" << rows.size() << ";\n" << Join(rows, ",\n") << ";\n}\n";
  }
  out << "}\n";
}

void Frame(std::ostream& out, const XFrameSpec& f) {
  out << "Frame " << (f.name.empty() ? "" : f.name + " ") << "{\nFrameTransformMatrix {\n" << Join(f.matrix, ",")
      << ";;\n}\n";
  for (const auto& m : f.meshes) Mesh(out, m);
  for (const auto& c : f.children) Frame(out, c);
  out << "}\n";
}

// The binary encoding of the same text, token by token: 1 name, 2 string
// (followed by 20, its semicolon), 6 integer list, 7 float list, 10 and 11
// braces. A run of numbers of one kind makes one list; separators go.
std::vector<uint8_t> Binary(const std::string& text) {
  ByteWriter w;
  std::vector<std::string> run;
  bool floats = false;
  const auto flush = [&] {
    if (run.empty()) return;
    w.LeU2(floats ? 7 : 6).LeU4(static_cast<uint32_t>(run.size()));
    for (const std::string& n : run) floats ? (void)w.LeF4(std::stof(n)) : (void)w.LeU4(std::stoul(n));
    run.clear();
  };
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    size_t end = at + 1;
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      end = text.find_first_of(",; \n", at);
      const std::string number = text.substr(at, end - at);
      const bool isFloat = number.find('.') != std::string::npos;
      if (isFloat != floats) flush();
      floats = isFloat;
      run.push_back(number);
    } else if (c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c))) {
    } else {
      flush();
      if (c == '{' || c == '}') {
        w.LeU2(c == '{' ? 10 : 11);
      } else if (c == '"') {
        end = text.find('"', at + 1) + 1;
        w.LeU2(2).LeU4(static_cast<uint32_t>(end - at - 2)).Text(text.substr(at + 1, end - at - 2)).LeU2(20);
      } else {
        end = text.find_first_of(" \n", at);
        w.LeU2(1).LeU4(static_cast<uint32_t>(end - at)).Text(text.substr(at, end - at));
      }
    }
    at = end;
  }
  flush();
  return w.bytes();
}

}  // namespace

std::vector<uint8_t> MakeXFile(const std::vector<XFrameSpec>& frames, const std::vector<XMeshSpec>& meshes,
                               XEncoding encoding) {
  std::ostringstream text;
  for (const auto& f : frames) Frame(text, f);
  for (const auto& m : meshes) Mesh(text, m);
  ByteWriter w;
  if (encoding == XEncoding::Text) return w.Text("xof 0302txt 0032\n" + text.str()).bytes();
  const std::vector<uint8_t> body = Binary(text.str());
  if (encoding == XEncoding::Binary) return w.Text("xof 0302bin 0032").Bytes(body).bytes();
  // MSZIP: blocks of at most 32 KiB, each a deflate stream of its own; stored
  // (uncompressed) deflate blocks are enough for a reader to undo.
  w.Text("xof 0302bzip0032").LeU4(static_cast<uint32_t>(16 + body.size()));
  for (size_t at = 0; at < body.size(); at += 32768) {
    const uint16_t n = static_cast<uint16_t>(std::min<size_t>(32768, body.size() - at));
    w.LeU2(n).LeU2(static_cast<uint16_t>(n + 7)).Text("CK").U1(1).LeU2(n).LeU2(static_cast<uint16_t>(~n));
    w.Bytes(std::vector<uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(at),
                                 body.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
  return w.bytes();
}

}  // namespace testsupport
