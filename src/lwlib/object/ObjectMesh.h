// The retained-mode mesh of a LightWave object: one group per surface, with
// smoothed normals, texture coordinates, materials, colours and textures.
#pragma once

#include <cstdint>

#include "lwlib/object/Lwo.h"
#include "lwlib/object/TextureLoader.h"
#include "rm/Types.h"

enum : uint32_t {
  LWO_BUILD_FLAT = 1,         // every polygon corner gets a vertex of its own
  LWO_BUILD_NO_SURFACES = 2,  // every group gets the default material and white
};

// Loads "name" (with or without ".lwo") and builds its mesh, named after the
// file. Null when the file does not load, is refused, or the mesh cannot be
// made (why, when given, says why and names the file). Without a texture
// loader, textures come from engine->LoadTexture.
rm::MeshPtr LoadLightWaveObject(const char* name, const rm::EnginePtr& engine, TextureCallback textureCallback,
                                void* callbackData, uint32_t flags, Failure* why = nullptr);

// The same over an object file's bytes (and, when not null, those of the .uv
// file beside it); the mesh has no name.
rm::MeshPtr LoadLightWaveObjectBytes(std::span<const uint8_t> bytes, const rm::EnginePtr& engine,
                                     TextureCallback textureCallback, void* callbackData, uint32_t flags,
                                     Failure* why = nullptr, std::span<const uint8_t> uvBytes = {});

// The mesh of a parsed object. `corners` are an LWO2 object's; the groups its
// smoothing made, when it made them, are taken over.
rm::MeshPtr BuildObjectMesh(const rm::EnginePtr& engine, const LwoPoints& points, const LwoSurfaces& surfaces,
                            const LwoSurfaceNames& surfaceNames, const LwoPolygons& polygons, const UvSet* uvSet,
                            TextureCallback textureCallback, void* callbackData, uint32_t flags,
                            LwoCorners* corners = nullptr);

// The texture of an image named in an object: only its file name and
// extension are looked for. The texture is named with them.
rm::TexturePtr LoadTextureByName(TextureCallback textureCallback, void* callbackData, const char* imageName,
                                 const rm::EnginePtr& engine);

// The flat wrap of a surface's "Planar Image Map" colour texture, made with
// the process-wide planar wrap flags; null when the surface has none.
rm::WrapPtr PlanarWrapForSurface(const LwoSurface& surface, const rm::EnginePtr& engine);
// Applies the planar map of surface `surfaceNumber` to every vertex of mesh
// and returns its texture (null when there is no map or no texture).
rm::TexturePtr PlanarImageMap(TextureCallback textureCallback, void* callbackData, uint32_t surfaceNumber,
                              const rm::EnginePtr& engine, const LwoSurfaces& surfaces,
                              const LwoSurfaceNames& surfaceNames, const rm::MeshPtr& mesh);
