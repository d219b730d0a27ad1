#include "app/CapsReport.h"

#include <cstdio>

using namespace rm;

namespace {

struct CapsFlag {
  uint32_t bit;
  const char* name;
  const char* description;
};

#define CAPS_FLAG(name, description) {name, #name, description}

// Each list is in alphabetical order of the flag names, which is the order of
// its lines.
constexpr CapsFlag kLightTypes[] = {
    CAPS_FLAG(D3DLIGHTCAPS_DIRECTIONAL, "Supports directional lights."),
    CAPS_FLAG(D3DLIGHTCAPS_PARALLELPOINT, "Supports parallel point lights."),
    CAPS_FLAG(D3DLIGHTCAPS_POINT, "Supports point lights."),
    CAPS_FLAG(D3DLIGHTCAPS_SPOT, "Supports spotlights."),
};

constexpr CapsFlag kLightingModels[] = {
    CAPS_FLAG(D3DLIGHTINGMODEL_MONO, "Monochromatic lighting model: lights have one intensity."),
    CAPS_FLAG(D3DLIGHTINGMODEL_RGB, "RGB lighting model: lights have red, green and blue."),
};

constexpr CapsFlag kDeviceCaps[] = {
    CAPS_FLAG(D3DDEVCAPS_CANRENDERAFTERFLIP, "Can queue drawing after a page flip without waiting for it."),
    CAPS_FLAG(D3DDEVCAPS_DRAWPRIMTLVERTEX, "Draws primitives straight from transformed and lit vertices."),
    CAPS_FLAG(D3DDEVCAPS_EXECUTESYSTEMMEMORY, "Can use execute buffers in system memory."),
    CAPS_FLAG(D3DDEVCAPS_EXECUTEVIDEOMEMORY, "Can use execute buffers in video memory."),
    CAPS_FLAG(D3DDEVCAPS_FLOATTLVERTEX, "Takes floating point for transformed vertex data."),
    CAPS_FLAG(D3DDEVCAPS_SORTDECREASINGZ, "Needs polygons sorted by decreasing depth."),
    CAPS_FLAG(D3DDEVCAPS_SORTEXACT, "Needs polygons sorted exactly by depth."),
    CAPS_FLAG(D3DDEVCAPS_SORTINCREASINGZ, "Needs polygons sorted by increasing depth."),
    CAPS_FLAG(D3DDEVCAPS_TEXTURENONLOCALVIDMEM, "Can take textures from non-local video memory."),
    CAPS_FLAG(D3DDEVCAPS_TEXTURESYSTEMMEMORY, "Can take textures from system memory."),
    CAPS_FLAG(D3DDEVCAPS_TEXTUREVIDEOMEMORY, "Can take textures from device memory."),
    CAPS_FLAG(D3DDEVCAPS_TLVERTEXSYSTEMMEMORY, "Can use transformed and lit vertices in system memory."),
    CAPS_FLAG(D3DDEVCAPS_TLVERTEXVIDEOMEMORY, "Can use transformed and lit vertices in device memory."),
};

constexpr CapsFlag kMiscCaps[] = {
    CAPS_FLAG(D3DPMISCCAPS_CONFORMANT, "The device conforms to the OpenGL standard."),
    CAPS_FLAG(D3DPMISCCAPS_CULLCCW, "Can cull counterclockwise triangles."),
    CAPS_FLAG(D3DPMISCCAPS_CULLCW, "Can cull clockwise triangles."),
    CAPS_FLAG(D3DPMISCCAPS_CULLNONE, "Can draw without culling."),
    CAPS_FLAG(D3DPMISCCAPS_LINEPATTERNREP, "Can repeat each bit of a line pattern more than once."),
    CAPS_FLAG(D3DPMISCCAPS_MASKPLANES, "Can mask colour planes when writing."),
    CAPS_FLAG(D3DPMISCCAPS_MASKZ, "Can turn writes to the z-buffer on and off."),
};

constexpr CapsFlag kRasterCaps[] = {
    CAPS_FLAG(D3DPRASTERCAPS_ANISOTROPY, "Supports anisotropic texture filtering."),
    CAPS_FLAG(D3DPRASTERCAPS_ANTIALIASEDGES, "Can antialias the lines that outline objects."),
    CAPS_FLAG(D3DPRASTERCAPS_ANTIALIASSORTDEPENDENT,
              "Can antialias when polygons are drawn sorted (back to front or front to back)."),
    CAPS_FLAG(D3DPRASTERCAPS_ANTIALIASSORTINDEPENDENT, "Can antialias whatever order polygons are drawn in."),
    CAPS_FLAG(D3DPRASTERCAPS_DITHER, "Can dither to improve colour resolution."),
    CAPS_FLAG(D3DPRASTERCAPS_FOGRANGE, "Supports range fog: the distance from the viewer, not the depth, is used."),
    CAPS_FLAG(D3DPRASTERCAPS_FOGTABLE, "Computes fog per pixel from a table."),
    CAPS_FLAG(D3DPRASTERCAPS_FOGVERTEX, "Computes fog per vertex and interpolates it across the polygon."),
    CAPS_FLAG(D3DPRASTERCAPS_MIPMAPLODBIAS, "Supports a level-of-detail bias for mipmaps."),
    CAPS_FLAG(D3DPRASTERCAPS_PAT, "Can draw with a pattern."),
    CAPS_FLAG(D3DPRASTERCAPS_ROP2, "Supports raster operations other than copying the source."),
    CAPS_FLAG(D3DPRASTERCAPS_STIPPLE, "Can stipple polygons to imitate translucency."),
    CAPS_FLAG(D3DPRASTERCAPS_SUBPIXEL, "Places depth, colour and texture data with subpixel accuracy."),
    CAPS_FLAG(D3DPRASTERCAPS_SUBPIXELX, "Is subpixel accurate along x only; y is clamped to whole scan lines."),
    CAPS_FLAG(D3DPRASTERCAPS_XOR, "Supports XOR operations."),
    CAPS_FLAG(D3DPRASTERCAPS_ZBIAS, "Supports a z bias, so coplanar polygons do not fight."),
    CAPS_FLAG(D3DPRASTERCAPS_ZBUFFERLESSHSR, "Can remove hidden surfaces without a z-buffer."),
    CAPS_FLAG(D3DPRASTERCAPS_ZTEST, "Can test depths against a z-buffer."),
};

constexpr CapsFlag kCompareCaps[] = {
    CAPS_FLAG(D3DPCMPCAPS_ALWAYS, "Always pass the test."),
    CAPS_FLAG(D3DPCMPCAPS_EQUAL, "Pass when the new value equals the current one."),
    CAPS_FLAG(D3DPCMPCAPS_GREATER, "Pass when the new value is greater than the current one."),
    CAPS_FLAG(D3DPCMPCAPS_GREATEREQUAL, "Pass when the new value is greater than or equal to the current one."),
    CAPS_FLAG(D3DPCMPCAPS_LESS, "Pass when the new value is less than the current one."),
    CAPS_FLAG(D3DPCMPCAPS_LESSEQUAL, "Pass when the new value is less than or equal to the current one."),
    CAPS_FLAG(D3DPCMPCAPS_NEVER, "Always fail the test."),
    CAPS_FLAG(D3DPCMPCAPS_NOTEQUAL, "Pass when the new value differs from the current one."),
};

constexpr CapsFlag kBlendCaps[] = {
    CAPS_FLAG(D3DPBLENDCAPS_BOTHINVSRCALPHA,
              "Source factor (1-As, 1-As, 1-As, 1-As) and destination factor (As, As, As, As) in one setting."),
    CAPS_FLAG(D3DPBLENDCAPS_BOTHSRCALPHA,
              "Source factor (As, As, As, As) and destination factor (1-As, 1-As, 1-As, 1-As) in one setting."),
    CAPS_FLAG(D3DPBLENDCAPS_DESTALPHA, "Blend factor (Ad, Ad, Ad, Ad)."),
    CAPS_FLAG(D3DPBLENDCAPS_DESTCOLOR, "Blend factor (Rd, Gd, Bd, Ad)."),
    CAPS_FLAG(D3DPBLENDCAPS_INVDESTALPHA, "Blend factor (1-Ad, 1-Ad, 1-Ad, 1-Ad)."),
    CAPS_FLAG(D3DPBLENDCAPS_INVDESTCOLOR, "Blend factor (1-Rd, 1-Gd, 1-Bd, 1-Ad)."),
    CAPS_FLAG(D3DPBLENDCAPS_INVSRCALPHA, "Blend factor (1-As, 1-As, 1-As, 1-As)."),
    CAPS_FLAG(D3DPBLENDCAPS_INVSRCCOLOR, "Blend factor (1-Rs, 1-Gs, 1-Bs, 1-As)."),
    CAPS_FLAG(D3DPBLENDCAPS_ONE, "Blend factor (1, 1, 1, 1)."),
    CAPS_FLAG(D3DPBLENDCAPS_SRCALPHA, "Blend factor (As, As, As, As)."),
    CAPS_FLAG(D3DPBLENDCAPS_SRCALPHASAT, "Blend factor (f, f, f, 1) with f = min(As, 1-Ad)."),
    CAPS_FLAG(D3DPBLENDCAPS_SRCCOLOR, "Blend factor (Rs, Gs, Bs, As)."),
    CAPS_FLAG(D3DPBLENDCAPS_ZERO, "Blend factor (0, 0, 0, 0)."),
};

constexpr CapsFlag kShadeCaps[] = {
    CAPS_FLAG(D3DPSHADECAPS_ALPHAFLATBLEND, "Supports blended transparency with flat shading."),
    CAPS_FLAG(D3DPSHADECAPS_ALPHAFLATSTIPPLED, "Supports stippled transparency with flat shading."),
    CAPS_FLAG(D3DPSHADECAPS_ALPHAGOURAUDBLEND, "Supports blended transparency with Gouraud shading."),
    CAPS_FLAG(D3DPSHADECAPS_ALPHAGOURAUDSTIPPLED, "Supports stippled transparency with Gouraud shading."),
    CAPS_FLAG(D3DPSHADECAPS_ALPHAPHONGBLEND, "Supports blended transparency with Phong shading."),
    CAPS_FLAG(D3DPSHADECAPS_ALPHAPHONGSTIPPLED, "Supports stippled transparency with Phong shading."),
    CAPS_FLAG(D3DPSHADECAPS_COLORFLATMONO, "Supports colour in flat shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_COLORFLATRGB, "Supports colour in flat shading with the RGB colour model."),
    CAPS_FLAG(D3DPSHADECAPS_COLORGOURAUDMONO, "Supports colour in Gouraud shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_COLORGOURAUDRGB, "Supports colour in Gouraud shading with the RGB colour model."),
    CAPS_FLAG(D3DPSHADECAPS_COLORPHONGMONO, "Supports colour in Phong shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_COLORPHONGRGB, "Supports colour in Phong shading with the RGB colour model."),
    CAPS_FLAG(D3DPSHADECAPS_FOGFLAT, "Supports fog with flat shading."),
    CAPS_FLAG(D3DPSHADECAPS_FOGGOURAUD, "Supports fog with Gouraud shading."),
    CAPS_FLAG(D3DPSHADECAPS_FOGPHONG, "Supports fog with Phong shading."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARFLATMONO, "Supports specular highlights in flat shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARFLATRGB, "Supports specular highlights in flat shading with the RGB colour model."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARGOURAUDMONO,
              "Supports specular highlights in Gouraud shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARGOURAUDRGB,
              "Supports specular highlights in Gouraud shading with the RGB colour model."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARPHONGMONO,
              "Supports specular highlights in Phong shading with the mono colour model."),
    CAPS_FLAG(D3DPSHADECAPS_SPECULARPHONGRGB,
              "Supports specular highlights in Phong shading with the RGB colour model."),
};

constexpr CapsFlag kTextureCaps[] = {
    CAPS_FLAG(D3DPTEXTURECAPS_ALPHA, "Supports alpha in texture pixels."),
    CAPS_FLAG(D3DPTEXTURECAPS_BORDER, "Supports a border colour around textures."),
    CAPS_FLAG(D3DPTEXTURECAPS_PERSPECTIVE, "Corrects textures for perspective."),
    CAPS_FLAG(D3DPTEXTURECAPS_POW2, "Texture widths and heights must be powers of 2."),
    CAPS_FLAG(D3DPTEXTURECAPS_SQUAREONLY, "Textures must be square."),
    CAPS_FLAG(D3DPTEXTURECAPS_TRANSPARENCY, "Supports transparent texels: they are not drawn."),
};

constexpr CapsFlag kTextureFilterCaps[] = {
    CAPS_FLAG(D3DPTFILTERCAPS_LINEAR, "Takes the weighted average of the 2 x 2 texels nearest the pixel."),
    CAPS_FLAG(D3DPTFILTERCAPS_LINEARMIPLINEAR,
              "Filters linearly in the two nearest mipmaps and interpolates between them."),
    CAPS_FLAG(D3DPTFILTERCAPS_LINEARMIPNEAREST, "Filters linearly in the nearest mipmap."),
    CAPS_FLAG(D3DPTFILTERCAPS_MIPLINEAR, "Takes the nearest texel of the two nearest mipmaps and interpolates."),
    CAPS_FLAG(D3DPTFILTERCAPS_MIPNEAREST, "Takes the nearest texel of the nearest mipmap."),
    CAPS_FLAG(D3DPTFILTERCAPS_NEAREST, "Takes the texel nearest the pixel."),
};

constexpr CapsFlag kTextureBlendCaps[] = {
    CAPS_FLAG(D3DPTBLENDCAPS_ADD, "Adds the texture colour to the primitive's colour."),
    CAPS_FLAG(D3DPTBLENDCAPS_COPY, "Copies the texture colour to the pixel."),
    CAPS_FLAG(D3DPTBLENDCAPS_DECAL, "Replaces the primitive's colour with the texture colour."),
    CAPS_FLAG(D3DPTBLENDCAPS_DECALALPHA, "Lays the texture over the primitive's colour by the texture's alpha."),
    CAPS_FLAG(D3DPTBLENDCAPS_DECALMASK, "Replaces the colour where the texel's mask bit is set."),
    CAPS_FLAG(D3DPTBLENDCAPS_MODULATE, "Multiplies the primitive's colour by the texture colour."),
    CAPS_FLAG(D3DPTBLENDCAPS_MODULATEALPHA, "Multiplies the primitive's colour and alpha by the texture's."),
    CAPS_FLAG(D3DPTBLENDCAPS_MODULATEMASK, "Multiplies the colour where the texel's mask bit is set."),
};

constexpr CapsFlag kTextureAddressCaps[] = {
    CAPS_FLAG(D3DPTADDRESSCAPS_BORDER, "Coordinates outside 0 to 1 take the border colour."),
    CAPS_FLAG(D3DPTADDRESSCAPS_CLAMP, "Coordinates are clamped to 0 to 1."),
    CAPS_FLAG(D3DPTADDRESSCAPS_INDEPENDENTUV, "u and v can be addressed in different modes."),
    CAPS_FLAG(D3DPTADDRESSCAPS_MIRROR, "The texture is mirrored at every whole coordinate."),
    CAPS_FLAG(D3DPTADDRESSCAPS_WRAP, "The texture repeats at every whole coordinate."),
};

#undef CAPS_FLAG

constexpr CapsGroup kGroups[] = {
    {1032, "Device", "Device capabilities", CAPS_DEVICE, false},
    {1033, "Lighting", "Lighting capabilities", CAPS_LIGHTING, false},
    {1034, "Transforming", "Transformation capabilities", CAPS_TRANSFORM, false},
    {1035, "Colour Model", "Supprted colour model", CAPS_COLOUR_MODEL, false},
    {1036, "General", "General capabilities", CAPS_GENERAL, false},
    {1037, "Misc", "Triangle - Miscellaneous capabilities", CAPS_MISC, false},
    {1038, "Raster", "Triangle - Raster capabilities", CAPS_RASTER, false},
    {1039, "ZCmp", "Triangle - Z comparison capabilities", CAPS_Z_COMPARE, false},
    {1040, "Tex Caps", "Triangle - Texture capabilities", CAPS_TEXTURE, false},
    {1041, "Shade", "Triangle - Shading capabilities", CAPS_SHADE, false},
    {1042, "Tex Filter", "Triangle - Texture filtering capabilities", CAPS_TEXTURE_FILTER, false},
    {1044, "Tex Blend", "Triangle - Texture blending capabilities", CAPS_TEXTURE_BLEND, false},
    {1045, "Tex Addr", "Triangle - Texture addressing capabilities", CAPS_TEXTURE_ADDRESS, false},
    {1046, "Stippling", "Triangle - Stipple capabilities ", CAPS_STIPPLE, false},
    {1047, "Alpha Cmp", "Triangle - Alpha comparison capabilities", CAPS_ALPHA_COMPARE, false},
    {1048, "Dst Blend", "Triangle - Destination blending capabilities", CAPS_DEST_BLEND, false},
    {1049, "Src blend", "Triangle - Source blending capabilities", CAPS_SOURCE_BLEND, false},
    {1043, "Misc", "Line - Miscellaneous capabilities", CAPS_MISC, true},
    {1050, "Raster", "Line - Raster capabilities", CAPS_RASTER, true},
    {1051, "ZCmp", "Line - Z comparison capabilities", CAPS_Z_COMPARE, true},
    {1052, "Texture", "Line - Texture capabilities", CAPS_TEXTURE, true},
    {1053, "Shade", "Line - Shading capabilities", CAPS_SHADE, true},
    {1054, "Tex Filter", "Line - Texture filtering capabilities", CAPS_TEXTURE_FILTER, true},
    {1055, "Tex Blend", "Line - Texture blending capabilities", CAPS_TEXTURE_BLEND, true},
    {1056, "Tex Addr", "Line - Texture addressing capabilities", CAPS_TEXTURE_ADDRESS, true},
    {1057, "Stippling", "Line - Stipple capabilities", CAPS_STIPPLE, true},
    {1058, "Alpha Cmp", "Line - Alpha comparison capibilities", CAPS_ALPHA_COMPARE, true},
    {1059, "Dst Blend", "Line - Destination capabilities", CAPS_DEST_BLEND, true},
    {1060, "Src blend", "Line - Source blend capabilities", CAPS_SOURCE_BLEND, true},
};

// Collects a report's lines within the report's limits.
class Report {
 public:
  void Add(std::string line) {
    if (lines_.size() >= CAPS_MAX_LINES) return;
    if (line.size() >= CAPS_LINE_LENGTH) line.resize(CAPS_LINE_LENGTH - 1);
    lines_.push_back(std::move(line));
  }
  void Flags(std::span<const CapsFlag> flags, uint32_t value) {
    for (const CapsFlag& f : flags)
      if (value & f.bit) Add(std::string(f.name) + " : " + f.description);
  }
  void Number(const char* label, uint32_t value) { Add(label + std::to_string(value)); }
  void Range(const char* label, uint32_t min, uint32_t max) {
    Add(label + std::to_string(min) + " -> " + std::to_string(max));
  }
  CapsLines Take() { return std::move(lines_); }

 private:
  CapsLines lines_;
};

void General(Report& r, const D3DDEVICEDESC& d) {
  if (d.dwFlags & D3DDD_BCLIPPING) r.Add(std::string("Clip in 3D : ") + (d.bClipping == 1 ? "Yes" : "No"));
  if (d.dwFlags & D3DDD_DEVICERENDERBITDEPTH)
    r.Add("Render bit depth : " + std::to_string(BitDepthFromFlags(d.dwDeviceRenderBitDepth)));
  if (d.dwFlags & D3DDD_DEVICEZBUFFERBITDEPTH)
    r.Add("Z Buffer bit depth : " + std::to_string(BitDepthFromFlags(d.dwDeviceZBufferBitDepth)));
  if (d.dwFlags & D3DDD_MAXBUFFERSIZE) r.Number("Max execute buffer : ", d.dwMaxBufferSize);
  if (d.dwFlags & D3DDD_MAXVERTEXCOUNT) r.Number("Max vertex count : ", d.dwMaxVertexCount);
  r.Range("Min/Max texture width : ", d.dwMinTextureWidth, d.dwMaxTextureWidth);
  r.Range("Min/Max texture height : ", d.dwMinTextureHeight, d.dwMaxTextureHeight);
  r.Range("Min/Max stipple width : ", d.dwMinStippleWidth, d.dwMaxStippleWidth);
  r.Range("Min/Max stipple height : ", d.dwMinStippleHeight, d.dwMaxStippleHeight);
}

void Primitive(Report& r, CapsKind kind, const D3DPRIMCAPS& p) {
  switch (kind) {
    case CAPS_MISC: r.Flags(kMiscCaps, p.dwMiscCaps); break;
    case CAPS_RASTER: r.Flags(kRasterCaps, p.dwRasterCaps); break;
    case CAPS_Z_COMPARE: r.Flags(kCompareCaps, p.dwZCmpCaps); break;
    case CAPS_ALPHA_COMPARE: r.Flags(kCompareCaps, p.dwAlphaCmpCaps); break;
    case CAPS_TEXTURE: r.Flags(kTextureCaps, p.dwTextureCaps); break;
    case CAPS_SHADE: r.Flags(kShadeCaps, p.dwShadeCaps); break;
    case CAPS_TEXTURE_FILTER: r.Flags(kTextureFilterCaps, p.dwTextureFilterCaps); break;
    case CAPS_TEXTURE_BLEND: r.Flags(kTextureBlendCaps, p.dwTextureBlendCaps); break;
    case CAPS_TEXTURE_ADDRESS: r.Flags(kTextureAddressCaps, p.dwTextureAddressCaps); break;
    case CAPS_DEST_BLEND: r.Flags(kBlendCaps, p.dwDestBlendCaps); break;
    case CAPS_SOURCE_BLEND: r.Flags(kBlendCaps, p.dwSrcBlendCaps); break;
    case CAPS_STIPPLE:
      r.Number("Min stipple width : ", p.dwStippleWidth);
      r.Number("min stipple height : ", p.dwStippleHeight);
      break;
    default: break;
  }
}

}  // namespace

std::span<const CapsGroup> CapsGroups() { return kGroups; }

const CapsGroup* FindCapsGroup(int button) {
  for (const CapsGroup& g : kGroups)
    if (g.button == button) return &g;
  return nullptr;
}

CapsLines CapsReport(const CapsGroup& group, const D3DDEVICEDESC* description) {
  Report r;
  if (!description) return r.Take();
  const D3DDEVICEDESC& d = *description;
  switch (group.kind) {
    case CAPS_DEVICE:
      if (d.dwFlags & D3DDD_DEVCAPS) r.Flags(kDeviceCaps, d.dwDevCaps);
      break;
    case CAPS_LIGHTING:
      if (d.dwFlags & D3DDD_LIGHTINGCAPS) {
        r.Flags(kLightTypes, d.dlcLightingCaps.dwCaps);
        r.Flags(kLightingModels, d.dlcLightingCaps.dwLightingModel);
        r.Number("Number of lights handled : ", d.dlcLightingCaps.dwNumLights);
      }
      break;
    case CAPS_TRANSFORM:
      if ((d.dwFlags & D3DDD_TRANSFORMCAPS) && d.dtcTransformCaps.dwCaps == D3DTRANSFORMCAPS_CLIP)
        r.Add("D3DTRANSFORMCAPS_CLIP : Clips while transforming");
      break;
    case CAPS_COLOUR_MODEL:
      if (d.dwFlags & D3DDD_COLORMODEL) {
        if (d.dcmColorModel & D3DCOLOR_RGB) r.Add("RGB");
        if (d.dcmColorModel & D3DCOLOR_MONO) r.Add("Mono");
      }
      break;
    case CAPS_GENERAL: General(r, d); break;
    default:
      if (d.dwFlags & (group.lines ? D3DDD_LINECAPS : D3DDD_TRICAPS))
        Primitive(r, group.kind, group.lines ? d.dpcLineCaps : d.dpcTriCaps);
      break;
  }
  return r.Take();
}
