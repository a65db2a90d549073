// The C runtime's shared pseudo-random generator, with the Windows runtime's sequence on every
// target so that seeds give the same values everywhere. Seeding and drawing are serialised.
#pragma once

namespace qvx::crt {

constexpr int kRandMax = 0x7FFF;
void srand(unsigned seed);
int rand();

}  // namespace qvx::crt
