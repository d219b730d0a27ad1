// The mesh model: a plain snapshot of a retained-mode mesh that every exporter
// reads, its .X export, and its binary ".msh" file.
#pragma once

#include <span>

#include "diag/Failure.h"
#include "lwlib/model/MeshModel.h"
#include "lwlib/object/TextureLoader.h"
#include "rm/Types.h"

// Fills model from mesh, group by group. False (model empty) without a mesh,
// for a mesh of no groups, or when memory runs out.
bool CaptureMeshModel(MeshModel* model, const rm::MeshPtr& mesh);
// Gives back every array and reference; safe on an empty or half-filled model.
void FreeMeshModel(MeshModel* model);
// A new mesh with the model's groups, materials and textures (the group
// colours are not applied). Null without an engine or a model.
rm::MeshPtr BuildRMMesh(const MeshModel* model, const rm::EnginePtr& engine);
// Writes mesh as a text DirectX file with normals, texture coordinates,
// materials and texture names. False (reported) when it cannot be written.
bool SaveMeshAsX(const rm::MeshPtr& mesh, const rm::EnginePtr& engine, const char* fileName);

// Writes model as a ".msh" file; false (reported) when the file cannot be
// opened or written.
bool SaveMeshModel(const MeshModel* model, const char* fileName);
// Reads a ".msh" file into model. Textures named in the file come from the
// texture loader when one is given, else from the engine when one is given.
// False (model empty) for a file that is not a whole, well-formed mesh file.
// why, when given, then says why and where, and names the file.
bool LoadMeshModel(MeshModel* model, const char* fileName, const rm::EnginePtr& engine,
                   TextureCallback textureCallback, void* callbackData, Failure* why = nullptr);
// The same over a mesh file's bytes (why names no file).
bool LoadMeshModelBytes(MeshModel* model, std::span<const uint8_t> bytes, const rm::EnginePtr& engine,
                        TextureCallback textureCallback, void* callbackData, Failure* why = nullptr);
