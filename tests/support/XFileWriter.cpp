#include "XFileWriter.h"

#include <cstring>
#include <sstream>

#include "TestSupport.h"

namespace testsupport {

namespace {

// Binary tokens of the format.
enum : uint16_t {
  TOKEN_NAME = 1,
  TOKEN_STRING = 2,
  TOKEN_INTEGER_LIST = 6,
  TOKEN_FLOAT_LIST = 7,
  TOKEN_OBRACE = 10,
  TOKEN_CBRACE = 11,
  TOKEN_SEMICOLON = 20,
};

// One writer for both encodings: the text form prints what the binary
// form codes as tokens.
class Emitter {
 public:
  explicit Emitter(bool binary) : binary_(binary) {}

  void Open(const std::string& type, const std::string& name = "") {
    if (binary_) {
      Name(type);
      if (!name.empty()) Name(name);
      w_.LeU2(TOKEN_OBRACE);
    } else {
      text_ << type << ' ' << (name.empty() ? "" : name + " ") << "{\n";
    }
  }
  void Close() {
    if (binary_) w_.LeU2(TOKEN_CBRACE);
    else text_ << "}\n";
  }
  void Ints(const std::vector<uint32_t>& v) {
    if (binary_) {
      w_.LeU2(TOKEN_INTEGER_LIST).LeU4(static_cast<uint32_t>(v.size()));
      for (uint32_t i : v) w_.LeU4(i);
    }
  }
  void Floats(const std::vector<float>& v) {
    if (binary_) {
      w_.LeU2(TOKEN_FLOAT_LIST).LeU4(static_cast<uint32_t>(v.size()));
      for (float f : v) w_.LeF4(f);
    }
  }
  void String(const std::string& s) {
    if (binary_) w_.LeU2(TOKEN_STRING).LeU4(static_cast<uint32_t>(s.size())).Text(s).LeU2(TOKEN_SEMICOLON);
    else text_ << '"' << s << "\";\n";
  }
  std::ostringstream& text() { return text_; }
  bool binary() const { return binary_; }
  const std::vector<uint8_t>& bytes() const { return w_.bytes(); }

 private:
  void Name(const std::string& s) { w_.LeU2(TOKEN_NAME).LeU4(static_cast<uint32_t>(s.size())).Text(s); }
  bool binary_;
  ByteWriter w_;
  std::ostringstream text_;
};

// Floats always with a decimal point: in lists separated by commas, "1,0"
// would read as one number to some readers.
std::string F(float v) {
  std::ostringstream s;
  s.precision(9);
  s << std::showpoint << v;
  return s.str();
}

void Vectors(Emitter& e, const std::vector<float>& flat, size_t width) {
  e.Floats(flat);
  if (e.binary()) return;
  const size_t n = flat.size() / width;
  e.text() << n << ";\n";
  for (size_t i = 0; i < n; ++i) {
    for (size_t k = 0; k < width; ++k) e.text() << F(flat[i * width + k]) << ';';
    e.text() << (i + 1 < n ? ",\n" : ";\n");
  }
}

void Faces(Emitter& e, const std::vector<std::vector<uint32_t>>& faces) {
  std::vector<uint32_t> ints{static_cast<uint32_t>(faces.size())};
  for (const auto& f : faces) {
    ints.push_back(static_cast<uint32_t>(f.size()));
    ints.insert(ints.end(), f.begin(), f.end());
  }
  e.Ints(ints);
  if (e.binary()) return;
  e.text() << faces.size() << ";\n";
  for (size_t i = 0; i < faces.size(); ++i) {
    e.text() << faces[i].size() << ';';
    for (size_t k = 0; k < faces[i].size(); ++k) e.text() << (k ? "," : "") << faces[i][k];
    e.text() << (i + 1 < faces.size() ? ";,\n" : ";;\n");
  }
}

void Mesh(Emitter& e, const XMeshSpec& m) {
  e.Open("Mesh", m.name);
  std::vector<float> flat;
  for (const auto& p : m.positions) flat.insert(flat.end(), p.begin(), p.end());
  if (e.binary()) e.Ints({static_cast<uint32_t>(m.positions.size())});
  Vectors(e, flat, 3);
  Faces(e, m.faces);
  if (!m.materials.empty()) {
    e.Open("MeshMaterialList");
    std::vector<uint32_t> ints{static_cast<uint32_t>(m.materials.size()), static_cast<uint32_t>(m.faceMaterials.size())};
    ints.insert(ints.end(), m.faceMaterials.begin(), m.faceMaterials.end());
    e.Ints(ints);
    if (!e.binary()) {
      e.text() << m.materials.size() << ";\n" << m.faceMaterials.size() << ";\n";
      for (size_t i = 0; i < m.faceMaterials.size(); ++i)
        e.text() << m.faceMaterials[i] << (i + 1 < m.faceMaterials.size() ? ",\n" : ";\n");
    }
    for (const XMaterialSpec& mat : m.materials) {
      e.Open("Material");
      std::vector<float> f(mat.color.begin(), mat.color.end());
      f.push_back(mat.power);
      f.insert(f.end(), mat.specular.begin(), mat.specular.end());
      f.insert(f.end(), mat.emissive.begin(), mat.emissive.end());
      e.Floats(f);
      if (!e.binary()) {
        e.text() << F(f[0]) << ';' << F(f[1]) << ';' << F(f[2]) << ';' << F(f[3]) << ";;\n" << F(f[4]) << ";\n";
        e.text() << F(f[5]) << ';' << F(f[6]) << ';' << F(f[7]) << ";;\n";
        e.text() << F(f[8]) << ';' << F(f[9]) << ';' << F(f[10]) << ";;\n";
      }
      if (!mat.texture.empty()) {
        e.Open("TextureFilename");
        e.String(mat.texture);
        e.Close();
      }
      e.Close();
    }
    e.Close();
  }
  if (!m.normals.empty()) {
    e.Open("MeshNormals");
    flat.clear();
    for (const auto& n : m.normals) flat.insert(flat.end(), n.begin(), n.end());
    if (e.binary()) e.Ints({static_cast<uint32_t>(m.normals.size())});
    Vectors(e, flat, 3);
    Faces(e, m.faces);
    e.Close();
  }
  if (!m.uvs.empty()) {
    e.Open("MeshTextureCoords");
    flat.clear();
    for (const auto& t : m.uvs) flat.insert(flat.end(), t.begin(), t.end());
    if (e.binary()) e.Ints({static_cast<uint32_t>(m.uvs.size())});
    Vectors(e, flat, 2);
    e.Close();
  }
  e.Close();
}

void Frame(Emitter& e, const XFrameSpec& f) {
  e.Open("Frame", f.name);
  e.Open("FrameTransformMatrix");
  e.Floats(std::vector<float>(f.matrix.begin(), f.matrix.end()));
  if (!e.binary()) {
    for (size_t i = 0; i < 16; ++i) e.text() << F(f.matrix[i]) << (i < 15 ? "," : ";;\n");
  }
  e.Close();
  for (const auto& m : f.meshes) Mesh(e, m);
  for (const auto& c : f.children) Frame(e, c);
  e.Close();
}

// MSZIP: blocks of at most 32 KiB, each a deflate stream of its own; stored
// (uncompressed) deflate blocks are enough for a reader to undo.
std::vector<uint8_t> Compress(const std::vector<uint8_t>& header, const std::vector<uint8_t>& body) {
  ByteWriter w;
  w.Bytes(header);
  w.LeU4(static_cast<uint32_t>(header.size() + body.size()));
  for (size_t at = 0; at < body.size(); at += 32768) {
    const uint16_t n = static_cast<uint16_t>(std::min<size_t>(32768, body.size() - at));
    w.LeU2(n).LeU2(static_cast<uint16_t>(n + 7)).Text("CK");
    w.U1(1).LeU2(n).LeU2(static_cast<uint16_t>(~n));
    w.Bytes(std::vector<uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(at), body.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
  return w.bytes();
}

}  // namespace

std::vector<uint8_t> MakeXFile(const std::vector<XFrameSpec>& frames, const std::vector<XMeshSpec>& meshes,
                               XEncoding encoding) {
  Emitter e(encoding != XEncoding::Text);
  for (const auto& f : frames) Frame(e, f);
  for (const auto& m : meshes) Mesh(e, m);
  if (encoding == XEncoding::Text) {
    const std::string text = "xof 0302txt 0032\n" + e.text().str();
    return {text.begin(), text.end()};
  }
  const std::string magic = encoding == XEncoding::Binary ? "xof 0302bin 0032" : "xof 0302bzip0032";
  const std::vector<uint8_t> header(magic.begin(), magic.end());
  if (encoding == XEncoding::Binary) {
    std::vector<uint8_t> out = header;
    out.insert(out.end(), e.bytes().begin(), e.bytes().end());
    return out;
  }
  return Compress(header, e.bytes());
}

}  // namespace testsupport
