// labp: the suite's LAB assembler. Preprocessed LAB text on standard input,
// the binary HMD on standard output.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "LabAssembler.h"

namespace {

void Help(FILE* to) {
  std::fputs(
      "usage: labp [--help] < model.i > model.hmd\n"
      "Assembles preprocessed LAB text (standard input) into a binary HMD file (standard\n"
      "output). Run the LAB text through the C preprocessor first, with the directory that\n"
      "holds hmd/hmd.def (and its twin \"hmd\\hmd.def\") as include directory:\n"
      "  cpp -I DIR model.lab -o model.i && labp < model.i > model.hmd\n"
      "\n",
      to);
  std::fputs(kLabGrammar, to);
  std::fputs(
      "\n"
      "Exit status: 0 success; 1 when the input is refused (the reason, with its file and\n"
      "line, on standard error; nothing is written) or the output cannot be written; 2 for\n"
      "a usage error.\n",
      to);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Help(stdout);
      return 0;
    }
    std::fprintf(stderr, "labp: unexpected argument %s\n", argv[i]);
    Help(stderr);
    return 2;
  }
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);
  if (std::ferror(stdin)) {
    std::fprintf(stderr, "labp: cannot read standard input\n");
    return 1;
  }
  std::vector<uint8_t> out;
  std::string error;
  if (!AssembleLab(text, out, error)) {
    std::fprintf(stderr, "labp: %s\n", error.c_str());
    return 1;
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "labp: cannot write standard output\n");
    return 1;
  }
  return 0;
}
