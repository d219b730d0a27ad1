#include "diag/Dbug.h"
#include "rm/MeshBuilder.h"

namespace rm {

bool MeshBuilder::Save(const std::string&, XofFormat, XofSaveFlags) const {
  ReportWarning("MeshBuilder Save: not yet available");
  return false;
}

bool MeshBuilder::Load(const std::string&) {
  ReportWarning("MeshBuilder Load: not yet available");
  return false;
}

}  // namespace rm
