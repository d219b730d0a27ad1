// What a 3D device can do, in the layout the capability reports read: a flags
// word saying which parts are valid, the colour model, device, transform and
// lighting caps, triangle and line primitive caps, bit depths, buffer, vertex,
// texture and stipple limits. The OpenGL renderer fills one from what its
// context reports (render/GlDeviceInfo.h) through the one mapping table in
// DeviceDescription.cpp; the immediate-mode path reads the colour model.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace rm {

// A 3D device's identity. The device selection keeps a copy of the chosen
// one; none means the default device.
using DeviceGuid = std::array<uint8_t, 16>;

struct D3DTRANSFORMCAPS {
  uint32_t dwSize;
  uint32_t dwCaps;
};

struct D3DLIGHTINGCAPS {
  uint32_t dwSize;
  uint32_t dwCaps;
  uint32_t dwLightingModel;
  uint32_t dwNumLights;
};

struct D3DPRIMCAPS {
  uint32_t dwSize;
  uint32_t dwMiscCaps;
  uint32_t dwRasterCaps;
  uint32_t dwZCmpCaps;
  uint32_t dwSrcBlendCaps;
  uint32_t dwDestBlendCaps;
  uint32_t dwAlphaCmpCaps;
  uint32_t dwShadeCaps;
  uint32_t dwTextureCaps;
  uint32_t dwTextureFilterCaps;
  uint32_t dwTextureBlendCaps;
  uint32_t dwTextureAddressCaps;
  uint32_t dwStippleWidth;
  uint32_t dwStippleHeight;
};

struct D3DDEVICEDESC {
  uint32_t dwSize;
  uint32_t dwFlags;  // D3DDD_*: which of the parts below are valid
  uint32_t dcmColorModel;
  uint32_t dwDevCaps;
  D3DTRANSFORMCAPS dtcTransformCaps;
  int32_t bClipping;
  D3DLIGHTINGCAPS dlcLightingCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  uint32_t dwDeviceRenderBitDepth;   // DDBD_*
  uint32_t dwDeviceZBufferBitDepth;  // DDBD_*
  uint32_t dwMaxBufferSize;
  uint32_t dwMaxVertexCount;
  uint32_t dwMinTextureWidth, dwMinTextureHeight;
  uint32_t dwMaxTextureWidth, dwMaxTextureHeight;
  uint32_t dwMinStippleWidth, dwMaxStippleWidth;
  uint32_t dwMinStippleHeight, dwMaxStippleHeight;
  uint32_t dwMaxTextureRepeat;
  uint32_t dwMaxTextureAspectRatio;
  uint32_t dwMaxAnisotropy;
  float dvGuardBandLeft, dvGuardBandTop, dvGuardBandRight, dvGuardBandBottom;
  float dvExtentsAdjust;
  uint32_t dwStencilCaps;
  uint32_t dwFVFCaps;
  uint32_t dwTextureOpCaps;
  uint16_t wMaxTextureBlendStages;
  uint16_t wMaxSimultaneousTextures;
};
static_assert(sizeof(D3DDEVICEDESC) == 252);

// Valid parts (dwFlags).
constexpr uint32_t D3DDD_COLORMODEL = 0x1;
constexpr uint32_t D3DDD_DEVCAPS = 0x2;
constexpr uint32_t D3DDD_TRANSFORMCAPS = 0x4;
constexpr uint32_t D3DDD_LIGHTINGCAPS = 0x8;
constexpr uint32_t D3DDD_BCLIPPING = 0x10;
constexpr uint32_t D3DDD_TRICAPS = 0x20;
constexpr uint32_t D3DDD_LINECAPS = 0x40;
constexpr uint32_t D3DDD_DEVICERENDERBITDEPTH = 0x80;
constexpr uint32_t D3DDD_DEVICEZBUFFERBITDEPTH = 0x100;
constexpr uint32_t D3DDD_MAXBUFFERSIZE = 0x200;
constexpr uint32_t D3DDD_MAXVERTEXCOUNT = 0x400;

// Colour models.
constexpr uint32_t D3DCOLOR_MONO = 0x1;
constexpr uint32_t D3DCOLOR_RGB = 0x2;

// Bit depths.
constexpr uint32_t DDBD_8 = 0x800;
constexpr uint32_t DDBD_16 = 0x400;
constexpr uint32_t DDBD_24 = 0x200;
constexpr uint32_t DDBD_32 = 0x100;

constexpr uint32_t D3DTRANSFORMCAPS_CLIP = 0x1;

constexpr uint32_t D3DLIGHTCAPS_POINT = 0x1;
constexpr uint32_t D3DLIGHTCAPS_SPOT = 0x2;
constexpr uint32_t D3DLIGHTCAPS_DIRECTIONAL = 0x4;
constexpr uint32_t D3DLIGHTCAPS_PARALLELPOINT = 0x8;
constexpr uint32_t D3DLIGHTINGMODEL_RGB = 0x1;
constexpr uint32_t D3DLIGHTINGMODEL_MONO = 0x2;

constexpr uint32_t D3DDEVCAPS_FLOATTLVERTEX = 0x1;
constexpr uint32_t D3DDEVCAPS_SORTINCREASINGZ = 0x2;
constexpr uint32_t D3DDEVCAPS_SORTDECREASINGZ = 0x4;
constexpr uint32_t D3DDEVCAPS_SORTEXACT = 0x8;
constexpr uint32_t D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x10;
constexpr uint32_t D3DDEVCAPS_EXECUTEVIDEOMEMORY = 0x20;
constexpr uint32_t D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x40;
constexpr uint32_t D3DDEVCAPS_TLVERTEXVIDEOMEMORY = 0x80;
constexpr uint32_t D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x100;
constexpr uint32_t D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x200;
constexpr uint32_t D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x400;
constexpr uint32_t D3DDEVCAPS_CANRENDERAFTERFLIP = 0x800;
constexpr uint32_t D3DDEVCAPS_TEXTURENONLOCALVIDMEM = 0x1000;

constexpr uint32_t D3DPMISCCAPS_MASKPLANES = 0x1;
constexpr uint32_t D3DPMISCCAPS_MASKZ = 0x2;
constexpr uint32_t D3DPMISCCAPS_LINEPATTERNREP = 0x4;
constexpr uint32_t D3DPMISCCAPS_CONFORMANT = 0x8;
constexpr uint32_t D3DPMISCCAPS_CULLNONE = 0x10;
constexpr uint32_t D3DPMISCCAPS_CULLCW = 0x20;
constexpr uint32_t D3DPMISCCAPS_CULLCCW = 0x40;

constexpr uint32_t D3DPRASTERCAPS_DITHER = 0x1;
constexpr uint32_t D3DPRASTERCAPS_ROP2 = 0x2;
constexpr uint32_t D3DPRASTERCAPS_XOR = 0x4;
constexpr uint32_t D3DPRASTERCAPS_PAT = 0x8;
constexpr uint32_t D3DPRASTERCAPS_ZTEST = 0x10;
constexpr uint32_t D3DPRASTERCAPS_SUBPIXEL = 0x20;
constexpr uint32_t D3DPRASTERCAPS_SUBPIXELX = 0x40;
constexpr uint32_t D3DPRASTERCAPS_FOGVERTEX = 0x80;
constexpr uint32_t D3DPRASTERCAPS_FOGTABLE = 0x100;
constexpr uint32_t D3DPRASTERCAPS_STIPPLE = 0x200;
constexpr uint32_t D3DPRASTERCAPS_ANTIALIASSORTDEPENDENT = 0x400;
constexpr uint32_t D3DPRASTERCAPS_ANTIALIASSORTINDEPENDENT = 0x800;
constexpr uint32_t D3DPRASTERCAPS_ANTIALIASEDGES = 0x1000;
constexpr uint32_t D3DPRASTERCAPS_MIPMAPLODBIAS = 0x2000;
constexpr uint32_t D3DPRASTERCAPS_ZBIAS = 0x4000;
constexpr uint32_t D3DPRASTERCAPS_ZBUFFERLESSHSR = 0x8000;
constexpr uint32_t D3DPRASTERCAPS_FOGRANGE = 0x10000;
constexpr uint32_t D3DPRASTERCAPS_ANISOTROPY = 0x20000;

// Z and alpha comparisons.
constexpr uint32_t D3DPCMPCAPS_NEVER = 0x1;
constexpr uint32_t D3DPCMPCAPS_LESS = 0x2;
constexpr uint32_t D3DPCMPCAPS_EQUAL = 0x4;
constexpr uint32_t D3DPCMPCAPS_LESSEQUAL = 0x8;
constexpr uint32_t D3DPCMPCAPS_GREATER = 0x10;
constexpr uint32_t D3DPCMPCAPS_NOTEQUAL = 0x20;
constexpr uint32_t D3DPCMPCAPS_GREATEREQUAL = 0x40;
constexpr uint32_t D3DPCMPCAPS_ALWAYS = 0x80;

// Source and destination blend factors.
constexpr uint32_t D3DPBLENDCAPS_ZERO = 0x1;
constexpr uint32_t D3DPBLENDCAPS_ONE = 0x2;
constexpr uint32_t D3DPBLENDCAPS_SRCCOLOR = 0x4;
constexpr uint32_t D3DPBLENDCAPS_INVSRCCOLOR = 0x8;
constexpr uint32_t D3DPBLENDCAPS_SRCALPHA = 0x10;
constexpr uint32_t D3DPBLENDCAPS_INVSRCALPHA = 0x20;
constexpr uint32_t D3DPBLENDCAPS_DESTALPHA = 0x40;
constexpr uint32_t D3DPBLENDCAPS_INVDESTALPHA = 0x80;
constexpr uint32_t D3DPBLENDCAPS_DESTCOLOR = 0x100;
constexpr uint32_t D3DPBLENDCAPS_INVDESTCOLOR = 0x200;
constexpr uint32_t D3DPBLENDCAPS_SRCALPHASAT = 0x400;
constexpr uint32_t D3DPBLENDCAPS_BOTHSRCALPHA = 0x800;
constexpr uint32_t D3DPBLENDCAPS_BOTHINVSRCALPHA = 0x1000;

constexpr uint32_t D3DPSHADECAPS_COLORFLATMONO = 0x1;
constexpr uint32_t D3DPSHADECAPS_COLORFLATRGB = 0x2;
constexpr uint32_t D3DPSHADECAPS_COLORGOURAUDMONO = 0x4;
constexpr uint32_t D3DPSHADECAPS_COLORGOURAUDRGB = 0x8;
constexpr uint32_t D3DPSHADECAPS_COLORPHONGMONO = 0x10;
constexpr uint32_t D3DPSHADECAPS_COLORPHONGRGB = 0x20;
constexpr uint32_t D3DPSHADECAPS_SPECULARFLATMONO = 0x40;
constexpr uint32_t D3DPSHADECAPS_SPECULARFLATRGB = 0x80;
constexpr uint32_t D3DPSHADECAPS_SPECULARGOURAUDMONO = 0x100;
constexpr uint32_t D3DPSHADECAPS_SPECULARGOURAUDRGB = 0x200;
constexpr uint32_t D3DPSHADECAPS_SPECULARPHONGMONO = 0x400;
constexpr uint32_t D3DPSHADECAPS_SPECULARPHONGRGB = 0x800;
constexpr uint32_t D3DPSHADECAPS_ALPHAFLATBLEND = 0x1000;
constexpr uint32_t D3DPSHADECAPS_ALPHAFLATSTIPPLED = 0x2000;
constexpr uint32_t D3DPSHADECAPS_ALPHAGOURAUDBLEND = 0x4000;
constexpr uint32_t D3DPSHADECAPS_ALPHAGOURAUDSTIPPLED = 0x8000;
constexpr uint32_t D3DPSHADECAPS_ALPHAPHONGBLEND = 0x10000;
constexpr uint32_t D3DPSHADECAPS_ALPHAPHONGSTIPPLED = 0x20000;
constexpr uint32_t D3DPSHADECAPS_FOGFLAT = 0x40000;
constexpr uint32_t D3DPSHADECAPS_FOGGOURAUD = 0x80000;
constexpr uint32_t D3DPSHADECAPS_FOGPHONG = 0x100000;

constexpr uint32_t D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x2;
constexpr uint32_t D3DPTEXTURECAPS_ALPHA = 0x4;
constexpr uint32_t D3DPTEXTURECAPS_TRANSPARENCY = 0x8;
constexpr uint32_t D3DPTEXTURECAPS_BORDER = 0x10;
constexpr uint32_t D3DPTEXTURECAPS_SQUAREONLY = 0x20;

constexpr uint32_t D3DPTFILTERCAPS_NEAREST = 0x1;
constexpr uint32_t D3DPTFILTERCAPS_LINEAR = 0x2;
constexpr uint32_t D3DPTFILTERCAPS_MIPNEAREST = 0x4;
constexpr uint32_t D3DPTFILTERCAPS_MIPLINEAR = 0x8;
constexpr uint32_t D3DPTFILTERCAPS_LINEARMIPNEAREST = 0x10;
constexpr uint32_t D3DPTFILTERCAPS_LINEARMIPLINEAR = 0x20;

constexpr uint32_t D3DPTBLENDCAPS_DECAL = 0x1;
constexpr uint32_t D3DPTBLENDCAPS_MODULATE = 0x2;
constexpr uint32_t D3DPTBLENDCAPS_DECALALPHA = 0x4;
constexpr uint32_t D3DPTBLENDCAPS_MODULATEALPHA = 0x8;
constexpr uint32_t D3DPTBLENDCAPS_DECALMASK = 0x10;
constexpr uint32_t D3DPTBLENDCAPS_MODULATEMASK = 0x20;
constexpr uint32_t D3DPTBLENDCAPS_COPY = 0x40;
constexpr uint32_t D3DPTBLENDCAPS_ADD = 0x80;

constexpr uint32_t D3DPTADDRESSCAPS_WRAP = 0x1;
constexpr uint32_t D3DPTADDRESSCAPS_MIRROR = 0x2;
constexpr uint32_t D3DPTADDRESSCAPS_CLAMP = 0x4;
constexpr uint32_t D3DPTADDRESSCAPS_BORDER = 0x8;
constexpr uint32_t D3DPTADDRESSCAPS_INDEPENDENTUV = 0x10;

// What a renderer's context says about itself, in its own terms; the mapping
// table turns it into a description. Counts of 0 mean "none".
struct RendererLimits {
  uint32_t colourBits = 0;       // red + green + blue + alpha of the framebuffer
  uint32_t depthBits = 0;
  uint32_t samples = 0;          // multisampling per pixel
  uint32_t maxTextureSize = 0;   // largest texture width and height
  uint32_t maxVertices = 0;      // largest vertex range one draw call should use
  uint32_t maxAnisotropy = 0;    // 0 or 1 without anisotropic filtering
  uint32_t lights = 0;           // lights the renderer draws at once
  bool fixedFunction = false;    // the context keeps the fixed-function stipple, fog and texture modes
};

// What every OpenGL 3.0 context gives the suite, Mesa's software rasteriser
// included: the description of the software path ("HEL").
RendererLimits SoftwareRendererLimits(uint32_t lights);

// The description a renderer with these limits gets.
D3DDEVICEDESC DescribeRenderer(const RendererLimits& limits);

// True when the description has a colour model of its own: the device draws
// with textures of its own, apart from the memory copies they are loaded from.
bool HasHardwareColourModel(const D3DDEVICEDESC& hardware);

// The first of 8, 16, 24, 32 whose DDBD_ bit is set, tested in that order; 0
// when none is.
int32_t BitDepthFromFlags(uint32_t flags);
// The DDBD_ bit of a depth of 8, 16, 24 or 32 bits; 0 for any other.
uint32_t FlagsFromBitDepth(uint32_t bits);

// A stable identity made from a device's description and name, so a choice
// survives a re-created display (and a new run on the same renderer).
DeviceGuid DeviceGuidFromStrings(const std::string& description, const std::string& name);

// Lists the devices one can draw with. The callback gets each device's GUID,
// description text, name text and hardware and software descriptions (any of
// them may be null) and returns false to stop the listing.
using EnumDevicesCallback = std::function<bool(const DeviceGuid* guid, const char* description, const char* name,
                                               const D3DDEVICEDESC* hardware, const D3DDEVICEDESC* software)>;
class DeviceEnumerator {
 public:
  virtual ~DeviceEnumerator() = default;
  // False when the devices cannot be listed at all.
  virtual bool EnumDevices(const EnumDevicesCallback& callback) = 0;
};

}  // namespace rm
