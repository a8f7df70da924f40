// make_song_wave <path> [seconds] [channels]: the encoder benchmarks' song as
// a 44,100 Hz WAV file, for timing whole-program imports.
#include <cstdlib>

#include "bench/song.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 180.0;
  const int channels = argc > 3 ? std::atoi(argv[3]) : 2;
  return WriteSongWave(argv[1], seconds, channels) ? 0 : 1;
}
