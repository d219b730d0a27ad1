// football_assets: writes the default footballer's folder (configuration,
// objects, scenes, textures, sounds) into the folder named on the command line.
#include <cstdio>
#include <string>

#include "FootballFolder.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(stderr, "usage: football_assets FOLDER\n"
                         "Writes the default footballer (mirl_football.ftb and the files it names) into FOLDER.\n");
    return 2;
  }
  std::string why;
  if (!football::WriteFootballFolder(argv[1], &why)) {
    std::fprintf(stderr, "football_assets: %s\n", why.c_str());
    return 1;
  }
  return 0;
}
