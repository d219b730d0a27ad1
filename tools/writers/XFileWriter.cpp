#include "writers/XFileWriter.h"

#include <sstream>

#include "writers/ByteWriter.h"

namespace writers {

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
  for (const auto& item : items) {
    if (!out.empty()) out += sep;
    out += Str(item);
  }
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

void Mesh(std::ostream& out, const XMeshDesc& m) {
  out << "Mesh " << (m.name.empty() ? "" : m.name + " ") << "{\n";
  Vectors(out, m.positions);
  Faces(out, m.faces);
  if (!m.materials.empty()) {
    out << "MeshMaterialList {\n" << m.materials.size() << ";\n" << m.faceMaterials.size() << ";\n"
        << Join(m.faceMaterials, ",\n") << ";\n";
    for (const XMaterialDesc& mat : m.materials) {
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

void Frame(std::ostream& out, const XFrameDesc& f) {
  out << "Frame " << (f.name.empty() ? "" : f.name + " ") << "{\nFrameTransformMatrix {\n" << Join(f.matrix, ",")
      << ";;\n}\n";
  for (const auto& m : f.meshes) Mesh(out, m);
  for (const auto& c : f.children) Frame(out, c);
  out << "}\n";
}

}  // namespace

std::vector<uint8_t> MakeXFile(const std::vector<XFrameDesc>& frames, const std::vector<XMeshDesc>& meshes) {
  std::ostringstream text;
  for (const auto& f : frames) Frame(text, f);
  for (const auto& m : meshes) Mesh(text, m);
  return ByteWriter().Text("xof 0302txt 0032\n" + text.str()).bytes();
}

}  // namespace writers
