#include "XFileWriter.h"

#include <sstream>

#include "TestSupport.h"

namespace testsupport {

namespace {

// Floats always with a decimal point: in lists separated by commas, "1,0"
// would read as one number to some readers.
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

// One writer for both encodings: the text form prints what the binary form
// codes as tokens (1 name, 2 string, 6 integer list, 7 float list, 10 and 11
// braces, 20 semicolon).
struct Emitter {
  bool binary;
  ByteWriter w;
  std::ostringstream text;

  void Name(const std::string& s) { w.LeU2(1).LeU4(static_cast<uint32_t>(s.size())).Text(s); }
  void Open(const std::string& type, const std::string& name = "") {
    if (!binary) {
      text << type << ' ' << (name.empty() ? "" : name + " ") << "{\n";
      return;
    }
    Name(type);
    if (!name.empty()) Name(name);
    w.LeU2(10);
  }
  void Close() {
    if (binary) w.LeU2(11);
    else text << "}\n";
  }
  void Ints(const std::vector<uint32_t>& v) {
    w.LeU2(6).LeU4(static_cast<uint32_t>(v.size()));
    for (uint32_t i : v) w.LeU4(i);
  }
  void Floats(const std::vector<float>& v) {
    w.LeU2(7).LeU4(static_cast<uint32_t>(v.size()));
    for (float f : v) w.LeF4(f);
  }
};

// A counted list of rows: "n;" then the rows, separated by commas, ended by ';'.
void Rows(Emitter& e, const std::vector<std::string>& rows) {
  e.text << rows.size() << ";\n" << Join(rows, ",\n") << ";\n";
}

template <size_t N>
void Vectors(Emitter& e, const std::vector<std::array<float, N>>& v) {
  std::vector<float> flat;
  std::vector<std::string> rows;
  for (const auto& a : v) {
    flat.insert(flat.end(), a.begin(), a.end());
    rows.push_back(Join(a, ";") + ";");
  }
  if (!e.binary) return Rows(e, rows);
  e.Ints({static_cast<uint32_t>(v.size())});
  e.Floats(flat);
}

void Faces(Emitter& e, const std::vector<std::vector<uint32_t>>& faces) {
  std::vector<uint32_t> ints{static_cast<uint32_t>(faces.size())};
  std::vector<std::string> rows;
  for (const auto& f : faces) {
    ints.push_back(static_cast<uint32_t>(f.size()));
    ints.insert(ints.end(), f.begin(), f.end());
    rows.push_back(std::to_string(f.size()) + ";" + Join(f, ",") + ";");
  }
  if (e.binary) e.Ints(ints);
  else Rows(e, rows);
}

void Mesh(Emitter& e, const XMeshSpec& m) {
  e.Open("Mesh", m.name);
  Vectors(e, m.positions);
  Faces(e, m.faces);
  if (!m.materials.empty()) {
    e.Open("MeshMaterialList");
    std::vector<uint32_t> ints{static_cast<uint32_t>(m.materials.size()), static_cast<uint32_t>(m.faceMaterials.size())};
    ints.insert(ints.end(), m.faceMaterials.begin(), m.faceMaterials.end());
    if (e.binary) e.Ints(ints);
    else e.text << ints[0] << ";\n" << ints[1] << ";\n" << Join(m.faceMaterials, ",\n") << ";\n";
    for (const XMaterialSpec& mat : m.materials) {
      e.Open("Material");
      std::vector<float> f(mat.color.begin(), mat.color.end());
      f.push_back(mat.power);
      f.insert(f.end(), mat.specular.begin(), mat.specular.end());
      f.insert(f.end(), mat.emissive.begin(), mat.emissive.end());
      if (e.binary) e.Floats(f);
      else
        e.text << Join(mat.color, ";") << ";;\n" << Str(mat.power) << ";\n" << Join(mat.specular, ";") << ";;\n"
               << Join(mat.emissive, ";") << ";;\n";
      if (!mat.texture.empty()) {
        e.Open("TextureFilename");
        const uint32_t n = static_cast<uint32_t>(mat.texture.size());
        if (e.binary) e.w.LeU2(2).LeU4(n).Text(mat.texture).LeU2(20);
        else e.text << '"' << mat.texture << "\";\n";
        e.Close();
      }
      e.Close();
    }
    e.Close();
  }
  if (!m.normals.empty()) {
    e.Open("MeshNormals");
    Vectors(e, m.normals);
    Faces(e, m.faces);
    e.Close();
  }
  if (!m.uvs.empty()) {
    e.Open("MeshTextureCoords");
    Vectors(e, m.uvs);
    e.Close();
  }
  e.Close();
}

void Frame(Emitter& e, const XFrameSpec& f) {
  e.Open("Frame", f.name);
  e.Open("FrameTransformMatrix");
  if (e.binary) e.Floats(std::vector<float>(f.matrix.begin(), f.matrix.end()));
  else e.text << Join(f.matrix, ",") << ";;\n";
  e.Close();
  for (const auto& m : f.meshes) Mesh(e, m);
  for (const auto& c : f.children) Frame(e, c);
  e.Close();
}

}  // namespace

std::vector<uint8_t> MakeXFile(const std::vector<XFrameSpec>& frames, const std::vector<XMeshSpec>& meshes,
                               XEncoding encoding) {
  Emitter e{encoding != XEncoding::Text, {}, {}};
  for (const auto& f : frames) Frame(e, f);
  for (const auto& m : meshes) Mesh(e, m);
  const std::string magic = encoding == XEncoding::Text     ? "xof 0302txt 0032\n" + e.text.str()
                            : encoding == XEncoding::Binary ? "xof 0302bin 0032"
                                                            : "xof 0302bzip0032";
  ByteWriter w;
  w.Text(magic);
  if (encoding == XEncoding::Binary) w.Bytes(e.w.bytes());
  if (encoding != XEncoding::Compressed) return w.bytes();
  // MSZIP: blocks of at most 32 KiB, each a deflate stream of its own; stored
  // (uncompressed) deflate blocks are enough for a reader to undo.
  const std::vector<uint8_t>& body = e.w.bytes();
  w.LeU4(static_cast<uint32_t>(magic.size() + body.size()));
  for (size_t at = 0; at < body.size(); at += 32768) {
    const uint16_t n = static_cast<uint16_t>(std::min<size_t>(32768, body.size() - at));
    w.LeU2(n).LeU2(static_cast<uint16_t>(n + 7)).Text("CK");
    w.U1(1).LeU2(n).LeU2(static_cast<uint16_t>(~n));
    w.Bytes(std::vector<uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(at),
                                 body.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
  return w.bytes();
}

}  // namespace testsupport
