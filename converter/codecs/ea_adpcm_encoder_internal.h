// Choice of the encoder's candidate kernel. All kernels give the same bytes;
// tests and benchmarks switch between them to prove and measure that.
#pragma once

enum class EaAdpcmKernel { kScalar, kSse2, kAvx2 };

// The fastest kernel this CPU runs (what the encoder uses by default).
EaAdpcmKernel DetectedEaAdpcmKernel();
// The caller must pick a kernel the CPU and the build support.
void SelectEaAdpcmKernel(EaAdpcmKernel kernel);
