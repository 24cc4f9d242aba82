#pragma once
// Internal: hand-vectorised 32-bit row loops for processors with AVX2 (built with a per-function target,
// chosen at run time). Same results as the loops in blendkernels.hpp.
#include <cstdint>

namespace ruvo::avx2 {

// True when the processor has AVX2 and the loops have not been switched off.
bool Available() noexcept;
void Allow(bool enabled) noexcept;
void CopyKey32(uint32_t* d, const uint32_t* s, int n, uint32_t key);
void Alpha32(uint32_t* d, const uint32_t* s, int n, uint32_t a, bool useKey, uint32_t key);
void Mask32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n);
void MaskAlpha32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n, uint32_t a);
void Add32(uint32_t* d, const uint32_t* s, int n, uint32_t f, bool useKey, uint32_t key);
void MaskAdd32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n, uint32_t f);
void Sub32(uint32_t* d, const uint32_t* s, int n);
// The same for 16-bit pixels of either 5-6-5 (green565 true) or 5-5-5 layout.
void CopyKey16(uint16_t* d, const uint16_t* s, int n, uint32_t key);
void Alpha16(bool green565, uint16_t* d, const uint16_t* s, int n, uint32_t a, bool useKey, uint32_t key);
void Mask16(bool green565, uint16_t* d, const uint16_t* s, const uint8_t* m, int n);
void MaskAlpha16(bool green565, uint16_t* d, const uint16_t* s, const uint8_t* m, int n, uint32_t a);
void Add16(bool green565, uint16_t* d, const uint16_t* s, int n, uint32_t f, bool useKey, uint32_t key);
void MaskAdd16(bool green565, uint16_t* d, const uint16_t* s, const uint8_t* m, int n, uint32_t f);
void Sub16(bool green565, uint16_t* d, const uint16_t* s, int n);
// out[i] = row[cols[i]] for 32-bit pixels.
void Gather32(uint32_t* out, const uint32_t* row, const int32_t* cols, int n);

} // namespace ruvo::avx2
