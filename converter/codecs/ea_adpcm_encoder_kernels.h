// The encoder's candidate kernels. All give the same bytes; the caller
// passes the one to use (tests and benchmarks switch between them to prove
// and measure that).
#pragma once

enum class EaAdpcmKernel { kScalar, kSse2, kAvx2 };

// The fastest kernel this CPU runs, found once at start-up.
EaAdpcmKernel DetectedEaAdpcmKernel();
