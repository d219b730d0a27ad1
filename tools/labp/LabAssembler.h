// The LAB assembler: preprocessed LAB text in, HMD bytes out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The grammar, for `labp --help` and the README.
extern const char* const kLabGrammar;

// Assembles `text` (named `sourceName` in messages until a line marker names
// another file). On failure `error` reads "<file>:<line>: <what>" and `out` is
// left empty.
bool AssembleLab(std::string_view text, std::vector<uint8_t>& out, std::string& error,
                 const std::string& sourceName = "<stdin>");
