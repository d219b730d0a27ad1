// LAB text: the preprocessor input from which the LAB assembler builds an HMD
// model. These writers fix which text goes where; the macros the text uses
// come from the definitions file the preprocessor includes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "diag/TrackedBuffer.h"

// Labels are unique across every conversion of a run: the count only grows.
extern uint32_t LabelCounter;

// A label text owned by its maker's caller (a tracked copy).
using LabLabel = TrackedBuffer<char>;

// "Token_<name>_<count>", with "NULL" for a missing name. Empty when the copy
// could not be allocated.
LabLabel MakeLabel(const char* name);
inline void FreeLabel(LabLabel& label) { label.Reset(); }
inline const char* LabelText(const LabLabel& label) { return label.empty() ? "" : label.data(); }

void LabWriteInt(FILE* file, int32_t value, bool mark);
void LabWriteHalf(FILE* file, int32_t value, bool mark);
void LabWriteByte(FILE* file, int32_t value, bool mark);
void LabWriteHex(FILE* file, uint32_t value, bool mark);
void LabWriteHalfHex(FILE* file, uint32_t value, bool mark);
void LabWriteByteHex(FILE* file, uint32_t value, bool mark);
void LabWriteSymbol(FILE* file, const char* symbol, bool mark);
void LabWriteWordOffset(FILE* file, const char* label, bool mark);

void LabWriteLabel(FILE* file, const char* label);
void LabWriteComment(FILE* file, const char* text);
void LabWriteSVector(FILE* file, int32_t x, int32_t y, int32_t z);
void LabWriteCoordM(FILE* file, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);
void LabWriteBlankLine(FILE* file);
void LabWriteInclude(FILE* file, const char* path);

// The "HMD Error" box every export step shows its failures in.
// detail: the box's detailed text (why it failed), when known.
void ShowHmdError(const std::string& text, const std::string& detail = {});

// Cut a trailing ".LAB" / ".HMD" (any case) when the name is at least six
// characters long; shorter names are left as they are.
void StripLabExtension(std::string& name);
void StripHmdExtension(std::string& name);

// The fixed-layout sections of a LAB file. Optional labels may be null.
void WriteLabHeaderSection(FILE* file, const char* primHdrSect, const char* polyPrimSet, const char* imagePrimSet);
void WriteCoordinateSection(FILE* file, const char* coordSect);
void WritePrimitiveHeaderSection(FILE* file, const char* primHdrSect, const char* polyPrimHeader, const char* poly,
                                 const char* vert, const char* norm, const char* coordSect,
                                 const char* imagePrimSet, const char* imagePrimHeader, const char* image,
                                 const char* clut);
void WritePolygonPrimitiveSet(FILE* file, const char* polyPrimSet, const char* next, const char* polyPrimHeader,
                              int32_t blockCount);

// The first primitive header of a file (first = true) tells the driver to
// initialise. Returns false when its label could not be made (nothing is
// written then).
bool WritePolygonPrimitiveHeader(FILE* file, const char* typeText, bool first, uint32_t primitiveCount,
                                 uint32_t dataOffset);

struct SVector {
  int16_t x = 0, y = 0, z = 0;
};
void WriteSVectorSection(FILE* file, const char* comment, const char* label, const SVector* entries,
                         uint32_t count);
