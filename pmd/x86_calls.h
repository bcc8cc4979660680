// Call and jump targets of x86 code made absolute. The opcodes E8 (call) and
// E9 (jump) carry a 32-bit displacement from the next instruction; calls of
// one function from many places have as many different displacements but one
// target, which the model can learn. Displacements within +-16 MiB become
// their target, rotated modulo 2^25; the rotation maps that range onto
// itself and other values stay, so any bytes convert back exactly. A site
// ends 4 bytes before the end at the latest, and the 4 bytes after an opcode
// are never read as an opcode, on both sides alike.
#pragma once
#include <cstdint>

namespace pmd {

// Whether `src` looks like x86 code, judged from a sample of it (all of a
// short input): call and jump sites are frequent, and most of them are near
// ones (within the converted span).
bool plan_Calls(const uint8_t* src, int32_t n);
// Converts in place, displacements to targets and back.
void calls_To_Targets(uint8_t* buf, int32_t n);
void targets_To_Calls(uint8_t* buf, int32_t n);

}  // namespace pmd
