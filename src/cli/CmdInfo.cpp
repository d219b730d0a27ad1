#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/MeshInput.h"
#include "rm/Rm.h"

namespace cli {
namespace {

std::string Triple(float a, float b, float c) {
  return JsonArray({JsonNumber(a), JsonNumber(b), JsonNumber(c)});
}

std::string Plain(float a, float b, float c) {
  return JsonNumber(a) + " " + JsonNumber(b) + " " + JsonNumber(c);
}

int RunInfo(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  MeshInputOptions options;
  std::string error;
  if (!ParseMeshInputOptions(args, options, true, error)) return UsageError("info", error);
  if (args.size() != 1) return UsageError("info", "takes one FILE");
  LoadedMesh loaded;
  if (!LoadMeshInput(args[0], options, loaded, error)) return Fail(error);
  const rm::Mesh& mesh = *loaded.mesh;

  std::string out = options.json ? "{\"groups\":[" : "";
  for (uint32_t g = 0; g < mesh.GetGroupCount(); ++g) {
    uint32_t vertices = 0, faces = 0, perFace = 0, words = 0;
    mesh.GetGroup(g, &vertices, &faces, &perFace, &words);
    const rm::Color colour = mesh.GetGroupColor(g);
    const float red = rm::ColorRed(colour), green = rm::ColorGreen(colour), blue = rm::ColorBlue(colour);
    const rm::MaterialPtr material = mesh.GetGroupMaterial(g);
    const rm::TexturePtr texture = mesh.GetGroupTexture(g);
    if (options.json) {
      if (g) out += ",";
      out += "{\"vertices\":" + std::to_string(vertices) + ",\"faces\":" + std::to_string(faces) +
             ",\"verticesPerFace\":" + std::to_string(perFace) + ",\"faceDataSize\":" + std::to_string(words) +
             ",\"colour\":" + Triple(red, green, blue) + ",\"material\":";
      if (material) {
        const rm::ColorRGBf s = material->GetSpecular(), e = material->GetEmissive();
        out += "{\"specular\":" + Triple(s.red, s.green, s.blue) + ",\"emissive\":" +
               Triple(e.red, e.green, e.blue) + ",\"power\":" + JsonNumber(material->GetPower()) + "}";
      } else {
        out += "null";
      }
      out += ",\"texture\":" + (texture ? JsonString(texture->GetName()) : std::string("null")) + "}";
    } else {
      out += "group " + std::to_string(g) + ": " + std::to_string(vertices) + " vertices, " +
             std::to_string(faces) + " faces, " + std::to_string(perFace) + " vertices per face, " +
             std::to_string(words) + " face data words\n";
      out += "  colour " + Plain(red, green, blue) + "\n";
      if (material) {
        const rm::ColorRGBf s = material->GetSpecular(), e = material->GetEmissive();
        out += "  material specular " + Plain(s.red, s.green, s.blue) + " emissive " +
               Plain(e.red, e.green, e.blue) + " power " + JsonNumber(material->GetPower()) + "\n";
      } else {
        out += "  material none\n";
      }
      out += "  texture " + (texture ? JsonString(texture->GetName()) : std::string("none")) + "\n";
    }
  }
  rm::Box box;
  mesh.GetBox(&box);
  if (options.json) {
    out += "],\"box\":{\"min\":" + Triple(box.min.x, box.min.y, box.min.z) + ",\"max\":" +
           Triple(box.max.x, box.max.y, box.max.z) + "}}\n";
  } else {
    out += "box min " + Plain(box.min.x, box.min.y, box.min.z) + " max " + Plain(box.max.x, box.max.y, box.max.z) +
           "\n";
  }
  std::fputs(out.c_str(), stdout);
  return std::fflush(stdout) == 0 ? kSuccess : Fail("could not write the report");
}

const CommandRegistration registration(
    {"info", "info [--json] [--flat] [--no-surfaces] [--texture-dir DIR]... FILE",
     "  Describes the mesh of FILE (.lwo, .msh or .x): per group its vertices, faces,\n"
     "  vertices per face, face data size, colour, material and texture, then the\n"
     "  bounding box. --json prints the same as one JSON object.\n",
     RunInfo});

}  // namespace
}  // namespace cli
