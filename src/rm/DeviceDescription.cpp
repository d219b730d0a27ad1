#include "rm/DeviceDescription.h"

namespace rm {

namespace {

// Where a capability bit goes.
enum CapsField {
  COLOUR_MODEL,
  DEVICE,
  TRANSFORM,
  LIGHT_TYPES,
  LIGHTING_MODEL,
  MISC,
  RASTER,
  Z_COMPARE,
  ALPHA_COMPARE,
  SOURCE_BLEND,
  DEST_BLEND,
  SHADE,
  TEXTURE,
  TEXTURE_FILTER,
  TEXTURE_BLEND,
  TEXTURE_ADDRESS,
};

// Which primitive caps a primitive-caps bit belongs to.
enum Primitives { TRIANGLES = 1, LINES = 2, BOTH = 3 };

using Condition = bool (*)(const RendererLimits&);
bool Always(const RendererLimits&) { return true; }
bool Colour(const RendererLimits& l) { return l.colourBits > 0; }
bool Depth(const RendererLimits& l) { return l.depthBits > 0; }
bool Lights(const RendererLimits& l) { return l.lights > 0; }
bool FixedFunction(const RendererLimits& l) { return l.fixedFunction; }
bool Multisample(const RendererLimits& l) { return l.samples > 1; }
bool Anisotropic(const RendererLimits& l) { return l.maxAnisotropy > 1; }

struct CapsRule {
  CapsField field;
  uint32_t flag;
  Condition when;
  Primitives primitives = BOTH;  // primitive-caps fields only
};

// The one mapping from what an OpenGL context offers (as the suite draws
// with it) to the description's bits. A bit without an entry is never set:
// the sort orders (a depth buffer orders fragments), execute buffers (there
// are none), the mono colour model and lighting (the framebuffer is RGB),
// Phong shading, mask blends, parallel point lights (drawn as point lights),
// z-buffer-less removal, range fog, power-of-two and square-only textures
// (any size is taken), destination alpha saturation (a source factor only)
// and textures drawn from the application's memory.
constexpr CapsRule kCapsRules[] = {
    {COLOUR_MODEL, D3DCOLOR_RGB, Colour},                          // the framebuffer has red, green and blue
    {TRANSFORM, D3DTRANSFORMCAPS_CLIP, Always},                    // primitives are clipped as they are transformed
    {DEVICE, D3DDEVCAPS_FLOATTLVERTEX, Always},                    // vertices reach the context as floats
    {DEVICE, D3DDEVCAPS_DRAWPRIMTLVERTEX, Always},                 // primitives are drawn straight from vertex arrays
    {DEVICE, D3DDEVCAPS_TLVERTEXVIDEOMEMORY, Always},              // vertex buffer objects live with the device
    {DEVICE, D3DDEVCAPS_TLVERTEXSYSTEMMEMORY, FixedFunction},      // client vertex arrays (compatibility contexts)
    {DEVICE, D3DDEVCAPS_TEXTUREVIDEOMEMORY, Always},               // textures are texture objects of the device
    {DEVICE, D3DDEVCAPS_CANRENDERAFTERFLIP, Always},               // a buffer swap only queues; drawing goes on
    {LIGHT_TYPES, D3DLIGHTCAPS_DIRECTIONAL, Lights},               // the suite's shaders light with these three
    {LIGHT_TYPES, D3DLIGHTCAPS_POINT, Lights},                     //   kinds, up to `lights` at once
    {LIGHT_TYPES, D3DLIGHTCAPS_SPOT, Lights},                      //   (umbra, penumbra, range, attenuation)
    {LIGHTING_MODEL, D3DLIGHTINGMODEL_RGB, Lights},                // lights have three colour channels
    {MISC, D3DPMISCCAPS_MASKPLANES, Always},                       // glColorMask
    {MISC, D3DPMISCCAPS_MASKZ, Always},                            // glDepthMask
    {MISC, D3DPMISCCAPS_CONFORMANT, Always},                       // an OpenGL context keeps the OpenGL rules
    {MISC, D3DPMISCCAPS_CULLNONE, Always, TRIANGLES},              // glCullFace, or culling off; lines are
    {MISC, D3DPMISCCAPS_CULLCW, Always, TRIANGLES},                //   never culled
    {MISC, D3DPMISCCAPS_CULLCCW, Always, TRIANGLES},
    {MISC, D3DPMISCCAPS_LINEPATTERNREP, FixedFunction, LINES},     // glLineStipple's repeat factor
    {RASTER, D3DPRASTERCAPS_DITHER, Always},                       // GL_DITHER (the render option)
    {RASTER, D3DPRASTERCAPS_ROP2, Always},                         // glLogicOp has all sixteen raster operations
    {RASTER, D3DPRASTERCAPS_XOR, Always},                          //   GL_XOR among them
    {RASTER, D3DPRASTERCAPS_PAT, FixedFunction},                   // polygon and line stipple patterns
    {RASTER, D3DPRASTERCAPS_STIPPLE, FixedFunction, TRIANGLES},    // glPolygonStipple
    {RASTER, D3DPRASTERCAPS_ZTEST, Depth},                         // only with a depth buffer
    {RASTER, D3DPRASTERCAPS_SUBPIXEL, Always},                     // rasterising is sub-pixel exact on both axes
    {RASTER, D3DPRASTERCAPS_FOGVERTEX, FixedFunction},             // glFog per vertex
    {RASTER, D3DPRASTERCAPS_FOGTABLE, FixedFunction},              // glFog per pixel (GL_FOG_HINT GL_NICEST)
    {RASTER, D3DPRASTERCAPS_ANTIALIASEDGES, Always},               // GL_LINE_SMOOTH on outlines
    {RASTER, D3DPRASTERCAPS_ANTIALIASSORTDEPENDENT, FixedFunction, TRIANGLES},  // GL_POLYGON_SMOOTH, back to front
    {RASTER, D3DPRASTERCAPS_ANTIALIASSORTINDEPENDENT, Multisample},  // a multisampled framebuffer
    {RASTER, D3DPRASTERCAPS_MIPMAPLODBIAS, Always},                // GL_TEXTURE_LOD_BIAS
    {RASTER, D3DPRASTERCAPS_ZBIAS, Always, TRIANGLES},             // glPolygonOffset
    {RASTER, D3DPRASTERCAPS_ANISOTROPY, Anisotropic},              // GL_EXT_texture_filter_anisotropic
    {Z_COMPARE, D3DPCMPCAPS_NEVER, Depth},                         // glDepthFunc takes all eight comparisons
    {Z_COMPARE, D3DPCMPCAPS_LESS, Depth},
    {Z_COMPARE, D3DPCMPCAPS_EQUAL, Depth},
    {Z_COMPARE, D3DPCMPCAPS_LESSEQUAL, Depth},
    {Z_COMPARE, D3DPCMPCAPS_GREATER, Depth},
    {Z_COMPARE, D3DPCMPCAPS_NOTEQUAL, Depth},
    {Z_COMPARE, D3DPCMPCAPS_GREATEREQUAL, Depth},
    {Z_COMPARE, D3DPCMPCAPS_ALWAYS, Depth},
    {ALPHA_COMPARE, D3DPCMPCAPS_NEVER, Always},                    // glAlphaFunc, or a shader's discard: all eight
    {ALPHA_COMPARE, D3DPCMPCAPS_LESS, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_EQUAL, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_LESSEQUAL, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_GREATER, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_NOTEQUAL, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_GREATEREQUAL, Always},
    {ALPHA_COMPARE, D3DPCMPCAPS_ALWAYS, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_ZERO, Always},                    // glBlendFunc's source factors
    {SOURCE_BLEND, D3DPBLENDCAPS_ONE, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_SRCCOLOR, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_INVSRCCOLOR, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_SRCALPHA, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_INVSRCALPHA, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_DESTALPHA, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_INVDESTALPHA, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_DESTCOLOR, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_INVDESTCOLOR, Always},
    {SOURCE_BLEND, D3DPBLENDCAPS_SRCALPHASAT, Always},             // GL_SRC_ALPHA_SATURATE
    {SOURCE_BLEND, D3DPBLENDCAPS_BOTHSRCALPHA, Always},            // one source setting for both factors: the
    {SOURCE_BLEND, D3DPBLENDCAPS_BOTHINVSRCALPHA, Always},         //   two factors of glBlendFunc give it
    {DEST_BLEND, D3DPBLENDCAPS_ZERO, Always},                      // glBlendFunc's destination factors
    {DEST_BLEND, D3DPBLENDCAPS_ONE, Always},
    {DEST_BLEND, D3DPBLENDCAPS_SRCCOLOR, Always},
    {DEST_BLEND, D3DPBLENDCAPS_INVSRCCOLOR, Always},
    {DEST_BLEND, D3DPBLENDCAPS_SRCALPHA, Always},
    {DEST_BLEND, D3DPBLENDCAPS_INVSRCALPHA, Always},
    {DEST_BLEND, D3DPBLENDCAPS_DESTALPHA, Always},
    {DEST_BLEND, D3DPBLENDCAPS_INVDESTALPHA, Always},
    {DEST_BLEND, D3DPBLENDCAPS_DESTCOLOR, Always},
    {DEST_BLEND, D3DPBLENDCAPS_INVDESTCOLOR, Always},
    {SHADE, D3DPSHADECAPS_COLORFLATRGB, Always},                   // the suite's flat and Gouraud shaders, both
    {SHADE, D3DPSHADECAPS_COLORGOURAUDRGB, Always},                //   with specular highlights
    {SHADE, D3DPSHADECAPS_SPECULARFLATRGB, Always},
    {SHADE, D3DPSHADECAPS_SPECULARGOURAUDRGB, Always},
    {SHADE, D3DPSHADECAPS_ALPHAFLATBLEND, Always},                 // colour alpha blends with GL_BLEND
    {SHADE, D3DPSHADECAPS_ALPHAGOURAUDBLEND, Always},
    {SHADE, D3DPSHADECAPS_FOGFLAT, FixedFunction},                 // glFog with either shade model
    {SHADE, D3DPSHADECAPS_FOGGOURAUD, FixedFunction},
    {TEXTURE, D3DPTEXTURECAPS_PERSPECTIVE, Always},                // texture coordinates are perspective-correct
    {TEXTURE, D3DPTEXTURECAPS_ALPHA, Always},                      // RGBA textures
    {TEXTURE, D3DPTEXTURECAPS_TRANSPARENCY, Always},               // transparent texels by alpha test or discard
    {TEXTURE, D3DPTEXTURECAPS_BORDER, Always},                     // GL_TEXTURE_BORDER_COLOR
    {TEXTURE_FILTER, D3DPTFILTERCAPS_NEAREST, Always},             // the six GL minifying filters
    {TEXTURE_FILTER, D3DPTFILTERCAPS_LINEAR, Always},
    {TEXTURE_FILTER, D3DPTFILTERCAPS_MIPNEAREST, Always},
    {TEXTURE_FILTER, D3DPTFILTERCAPS_MIPLINEAR, Always},
    {TEXTURE_FILTER, D3DPTFILTERCAPS_LINEARMIPNEAREST, Always},
    {TEXTURE_FILTER, D3DPTFILTERCAPS_LINEARMIPLINEAR, Always},
    {TEXTURE_BLEND, D3DPTBLENDCAPS_MODULATE, Always},              // the suite's shaders multiply by the texel
    {TEXTURE_BLEND, D3DPTBLENDCAPS_MODULATEALPHA, Always},         //   alpha included
    {TEXTURE_BLEND, D3DPTBLENDCAPS_DECAL, FixedFunction},          // glTexEnv GL_DECAL
    {TEXTURE_BLEND, D3DPTBLENDCAPS_DECALALPHA, FixedFunction},     // GL_DECAL of an RGBA texture
    {TEXTURE_BLEND, D3DPTBLENDCAPS_COPY, FixedFunction},           // GL_REPLACE
    {TEXTURE_BLEND, D3DPTBLENDCAPS_ADD, FixedFunction},            // GL_ADD
    {TEXTURE_ADDRESS, D3DPTADDRESSCAPS_WRAP, Always},              // GL_REPEAT
    {TEXTURE_ADDRESS, D3DPTADDRESSCAPS_MIRROR, Always},            // GL_MIRRORED_REPEAT
    {TEXTURE_ADDRESS, D3DPTADDRESSCAPS_CLAMP, Always},             // GL_CLAMP_TO_EDGE
    {TEXTURE_ADDRESS, D3DPTADDRESSCAPS_BORDER, Always},            // GL_CLAMP_TO_BORDER
    {TEXTURE_ADDRESS, D3DPTADDRESSCAPS_INDEPENDENTUV, Always},     // GL_TEXTURE_WRAP_S and _T apart
};

uint32_t* PrimitiveField(D3DPRIMCAPS& caps, CapsField field) {
  switch (field) {
    case MISC: return &caps.dwMiscCaps;
    case RASTER: return &caps.dwRasterCaps;
    case Z_COMPARE: return &caps.dwZCmpCaps;
    case ALPHA_COMPARE: return &caps.dwAlphaCmpCaps;
    case SOURCE_BLEND: return &caps.dwSrcBlendCaps;
    case DEST_BLEND: return &caps.dwDestBlendCaps;
    case SHADE: return &caps.dwShadeCaps;
    case TEXTURE: return &caps.dwTextureCaps;
    case TEXTURE_FILTER: return &caps.dwTextureFilterCaps;
    case TEXTURE_BLEND: return &caps.dwTextureBlendCaps;
    case TEXTURE_ADDRESS: return &caps.dwTextureAddressCaps;
    default: return nullptr;
  }
}

void Apply(D3DDEVICEDESC& d, const CapsRule& rule) {
  switch (rule.field) {
    case COLOUR_MODEL: d.dcmColorModel |= rule.flag; return;
    case DEVICE: d.dwDevCaps |= rule.flag; return;
    case TRANSFORM: d.dtcTransformCaps.dwCaps |= rule.flag; return;
    case LIGHT_TYPES: d.dlcLightingCaps.dwCaps |= rule.flag; return;
    case LIGHTING_MODEL: d.dlcLightingCaps.dwLightingModel |= rule.flag; return;
    default: break;
  }
  if (rule.primitives & TRIANGLES) *PrimitiveField(d.dpcTriCaps, rule.field) |= rule.flag;
  if (rule.primitives & LINES) *PrimitiveField(d.dpcLineCaps, rule.field) |= rule.flag;
}

}  // namespace

RendererLimits SoftwareRendererLimits(uint32_t lights) {
  RendererLimits limits;
  limits.colourBits = 24;        // the suite asks for an RGB framebuffer
  limits.depthBits = 24;         // and a 24-bit depth buffer
  limits.maxTextureSize = 1024;  // the least an OpenGL 3.0 context may offer
  limits.lights = lights;
  // Compatibility contexts are asked for but not always given (Mesa gives a
  // core one), so the fixed-function extras are not counted on.
  limits.fixedFunction = false;
  return limits;
}

D3DDEVICEDESC DescribeRenderer(const RendererLimits& limits) {
  D3DDEVICEDESC d{};
  d.dwSize = sizeof d;
  d.dtcTransformCaps.dwSize = sizeof d.dtcTransformCaps;
  d.dlcLightingCaps.dwSize = sizeof d.dlcLightingCaps;
  d.dpcTriCaps.dwSize = d.dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);
  for (const CapsRule& rule : kCapsRules)
    if (rule.when(limits)) Apply(d, rule);

  d.dwFlags = D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_BCLIPPING | D3DDD_TRICAPS | D3DDD_LINECAPS |
              D3DDD_MAXBUFFERSIZE;
  if (d.dcmColorModel) d.dwFlags |= D3DDD_COLORMODEL;
  if (limits.lights) d.dwFlags |= D3DDD_LIGHTINGCAPS;
  d.bClipping = 1;
  d.dlcLightingCaps.dwNumLights = limits.lights;
  d.dwDeviceRenderBitDepth = FlagsFromBitDepth(limits.colourBits);
  if (d.dwDeviceRenderBitDepth) d.dwFlags |= D3DDD_DEVICERENDERBITDEPTH;
  d.dwDeviceZBufferBitDepth = FlagsFromBitDepth(limits.depthBits);
  if (d.dwDeviceZBufferBitDepth) d.dwFlags |= D3DDD_DEVICEZBUFFERBITDEPTH;
  // There are no execute buffers; 0 is what a device without a limit says.
  d.dwMaxBufferSize = 0;
  d.dwMaxVertexCount = limits.maxVertices;
  if (limits.maxVertices) d.dwFlags |= D3DDD_MAXVERTEXCOUNT;
  d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
  d.dwMaxTextureWidth = d.dwMaxTextureHeight = limits.maxTextureSize;
  d.dwMaxAnisotropy = limits.maxAnisotropy ? limits.maxAnisotropy : 1;
  if (limits.fixedFunction) {
    // A polygon stipple is 32 x 32 bits; a line stipple 16 x 1.
    d.dwMinStippleWidth = d.dwMaxStippleWidth = d.dwMinStippleHeight = d.dwMaxStippleHeight = 32;
    d.dpcTriCaps.dwStippleWidth = d.dpcTriCaps.dwStippleHeight = 32;
    d.dpcLineCaps.dwStippleWidth = 16;
    d.dpcLineCaps.dwStippleHeight = 1;
  }
  // Every object is drawn with one texture.
  d.wMaxTextureBlendStages = d.wMaxSimultaneousTextures = 1;
  return d;
}

bool HasHardwareColourModel(const D3DDEVICEDESC& hardware) {
  return (hardware.dwFlags & D3DDD_COLORMODEL) && hardware.dcmColorModel != 0;
}

int32_t BitDepthFromFlags(uint32_t flags) {
  if (flags & DDBD_8) return 8;
  if (flags & DDBD_16) return 16;
  if (flags & DDBD_24) return 24;
  if (flags & DDBD_32) return 32;
  return 0;
}

uint32_t FlagsFromBitDepth(uint32_t bits) {
  switch (bits) {
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
  }
}

DeviceGuid DeviceGuidFromStrings(const std::string& description, const std::string& name) {
  // Two 64-bit FNV-1a hashes with different starting values over
  // "description\0name", laid out as a name-based UUID.
  auto hash = [&](uint64_t h) {
    auto add = [&h](unsigned char c) {
      h ^= c;
      h *= 0x100000001b3ull;
    };
    for (unsigned char c : description) add(c);
    add(0);
    for (unsigned char c : name) add(c);
    return h;
  };
  const uint64_t a = hash(0xcbf29ce484222325ull), b = hash(0x84222325cbf29ce4ull);
  DeviceGuid guid;
  for (int i = 0; i < 8; ++i) {
    guid[static_cast<size_t>(i)] = static_cast<uint8_t>(a >> (56 - 8 * i));
    guid[static_cast<size_t>(8 + i)] = static_cast<uint8_t>(b >> (56 - 8 * i));
  }
  guid[6] = static_cast<uint8_t>((guid[6] & 0x0F) | 0x50);
  guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);
  return guid;
}

}  // namespace rm
