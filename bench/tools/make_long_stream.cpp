// make_long_stream <path> [minutes]: the stream the export benchmarks use,
// for timing whole programs on it.
#include <cstdlib>

#include "../long_stream.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  WriteLongStereoStream(argv[1], argc > 2 ? std::atof(argv[2]) : 10.0);
  return 0;
}
