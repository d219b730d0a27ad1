#include "writers/Lwo2Writer.h"

#include "writers/ByteWriter.h"

namespace writers {

namespace {
void Name(ByteWriter& w, const std::string& text) {
  w.Text(text).U1(0);
  if ((text.size() + 1) % 2) w.U1(0);
}
std::vector<uint8_t> Sub(const std::string& id, const std::vector<uint8_t>& data) {
  ByteWriter w;
  w.Text(id.substr(0, 4)).BeU2(static_cast<uint16_t>(data.size())).Bytes(data);
  if (data.size() % 2) w.U1(0);
  return w.bytes();
}
std::vector<uint8_t> Floats(std::initializer_list<float> values, bool envelope = true) {
  ByteWriter w;
  for (float f : values) w.BeF4(f);
  if (envelope) w.BeU2(0);
  return w.bytes();
}
}  // namespace

void Lwo2Index(std::vector<uint8_t>& out, uint32_t index) {
  if (index < 0xFF00) {
    out.push_back(static_cast<uint8_t>(index >> 8));
    out.push_back(static_cast<uint8_t>(index));
  } else {
    out.push_back(0xFF);
    out.push_back(static_cast<uint8_t>(index >> 16));
    out.push_back(static_cast<uint8_t>(index >> 8));
    out.push_back(static_cast<uint8_t>(index));
  }
}

Lwo2Writer& Lwo2Writer::Chunk(const std::string& id, const std::vector<uint8_t>& body) {
  ByteWriter w;
  w.Chunk(id, body);
  if (body.size() % 2) w.U1(0);
  chunks_.insert(chunks_.end(), w.bytes().begin(), w.bytes().end());
  return *this;
}

Lwo2Writer& Lwo2Writer::Layer(uint16_t number, std::array<float, 3> pivot, const std::string& name) {
  ByteWriter w;
  w.BeU2(number).BeU2(0).BeF4(pivot[0]).BeF4(pivot[1]).BeF4(pivot[2]);
  Name(w, name);
  return Chunk("LAYR", w.bytes());
}

Lwo2Writer& Lwo2Writer::Points(const std::vector<std::array<float, 3>>& points) {
  ByteWriter w;
  for (const auto& p : points) w.BeF4(p[0]).BeF4(p[1]).BeF4(p[2]);
  return Chunk("PNTS", w.bytes());
}

Lwo2Writer& Lwo2Writer::BoundingBox(std::array<float, 3> low, std::array<float, 3> high) {
  return Chunk("BBOX", Floats({low[0], low[1], low[2], high[0], high[1], high[2]}, false));
}

Lwo2Writer& Lwo2Writer::Tags(const std::vector<std::string>& tags) {
  ByteWriter w;
  for (const std::string& t : tags) Name(w, t);
  return Chunk("TAGS", w.bytes());
}

Lwo2Writer& Lwo2Writer::Polygons(const std::vector<Lwo2Polygon>& polygons, const std::string& type) {
  std::vector<uint8_t> pols(type.begin(), type.end()), ptag{'S', 'U', 'R', 'F'};
  for (size_t i = 0; i < polygons.size(); ++i) {
    const Lwo2Polygon& p = polygons[i];
    pols.push_back(static_cast<uint8_t>(p.points.size() >> 8 & 0x03));
    pols.push_back(static_cast<uint8_t>(p.points.size()));
    for (uint32_t index : p.points) Lwo2Index(pols, index);
    Lwo2Index(ptag, static_cast<uint32_t>(i));
    ptag.push_back(static_cast<uint8_t>(p.tag >> 8));
    ptag.push_back(static_cast<uint8_t>(p.tag));
  }
  Chunk("POLS", pols);
  return type == "FACE" || type == "PTCH" ? Chunk("PTAG", ptag) : *this;
}

Lwo2Writer& Lwo2Writer::UvMap(const std::string& name, const std::vector<Lwo2UvEntry>& entries, bool perPolygon) {
  ByteWriter w;
  w.Text("TXUV").BeU2(2);
  Name(w, name);
  std::vector<uint8_t> b = w.bytes();
  for (const Lwo2UvEntry& e : entries) {
    Lwo2Index(b, e.point);
    if (perPolygon) Lwo2Index(b, e.polygon);
    const std::vector<uint8_t> uv = Floats({e.u, e.v}, false);
    b.insert(b.end(), uv.begin(), uv.end());
  }
  return Chunk(perPolygon ? "VMAD" : "VMAP", b);
}

Lwo2Writer& Lwo2Writer::ColourMap(const std::string& name, const std::vector<Lwo2ColourEntry>& entries,
                                  bool perPolygon, bool alpha) {
  ByteWriter w;
  w.Text(alpha ? "RGBA" : "RGB ").BeU2(alpha ? 4 : 3);
  Name(w, name);
  for (const Lwo2ColourEntry& e : entries) {
    std::vector<uint8_t> index;
    Lwo2Index(index, e.point);
    if (perPolygon) Lwo2Index(index, e.polygon);
    w.Bytes(index).BeF4(e.rgba[0]).BeF4(e.rgba[1]).BeF4(e.rgba[2]);
    if (alpha) w.BeF4(e.rgba[3]);
  }
  return Chunk(perPolygon ? "VMAD" : "VMAP", w.bytes());
}

Lwo2Writer& Lwo2Writer::Clip(uint32_t index, const std::string& file) {
  ByteWriter name;
  Name(name, file);
  ByteWriter w;
  w.BeU4(index).Bytes(Sub("STIL", name.bytes()));
  return Chunk("CLIP", w.bytes());
}

Lwo2Writer& Lwo2Writer::Surface(const Lwo2Surface& s) {
  ByteWriter w;
  Name(w, s.name);
  Name(w, "");
  w.Bytes(Sub("COLR", Floats({s.colour[0], s.colour[1], s.colour[2]})));
  w.Bytes(Sub("DIFF", Floats({s.diffuse}))).Bytes(Sub("LUMI", Floats({s.luminosity})));
  w.Bytes(Sub("SPEC", Floats({s.specular}))).Bytes(Sub("GLOS", Floats({s.glossiness})));
  w.Bytes(Sub("TRAN", Floats({s.transparency})));
  if (s.smoothingAngle >= 0) w.Bytes(Sub("SMAN", Floats({s.smoothingAngle}, false)));
  if (!s.colourMap.empty()) {
    ByteWriter vcol;
    vcol.Bytes(Floats({s.colourIntensity})).Text("RGB ");
    Name(vcol, s.colourMap);
    w.Bytes(Sub("VCOL", vcol.bytes()));
  }
  for (const Lwo2ImageMap& m : s.maps) {
    ByteWriter header;
    Name(header, "\x80");
    header.Bytes(Sub("CHAN", {'C', 'O', 'L', 'R'})).Bytes(Sub("ENAB", {0, 1}));
    ByteWriter tmap;
    tmap.Bytes(Sub("CNTR", Floats({m.centre[0], m.centre[1], m.centre[2]})));
    tmap.Bytes(Sub("SIZE", Floats({m.size[0], m.size[1], m.size[2]})));
    tmap.Bytes(Sub("ROTA", Floats({m.rotation[0], m.rotation[1], m.rotation[2]})));
    ByteWriter block;
    block.Bytes(Sub("IMAP", header.bytes())).Bytes(Sub("TMAP", tmap.bytes()));
    block.Bytes(Sub("PROJ", ByteWriter().BeU2(m.projection).bytes()));
    block.Bytes(Sub("AXIS", ByteWriter().BeU2(m.axis).bytes()));
    std::vector<uint8_t> clip;
    Lwo2Index(clip, m.clip);
    block.Bytes(Sub("IMAG", clip));
    if (!m.uvMap.empty()) {
      ByteWriter name;
      Name(name, m.uvMap);
      block.Bytes(Sub("VMAP", name.bytes()));
    }
    w.Bytes(Sub("BLOK", block.bytes()));
  }
  return Chunk("SURF", w.bytes());
}

std::vector<uint8_t> Lwo2Writer::Bytes() const {
  ByteWriter w;
  w.Text("FORM").BeU4(static_cast<uint32_t>(chunks_.size() + 4)).Text("LWO2").Bytes(chunks_);
  return w.bytes();
}

bool Lwo2Writer::Save(const std::string& path) const { return SaveBytes(path, Bytes()); }

}  // namespace writers
