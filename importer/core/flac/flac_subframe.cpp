#include "importer/core/flac/flac_subframe.h"

#include <array>
#include <utility>

namespace tunegrab {

namespace {

constexpr int kMaxLpcOrder = 32;

// The fixed predictors of orders 1 to 4 as coefficients of the previous
// samples, nearest first.
constexpr int32_t kFixedCoefficients[5][4] = {{}, {1}, {2, -1}, {3, -3, 1}, {4, -6, 4, -1}};

// True when value fits in a two's complement number of bits bits.
inline bool Fits(int64_t value, int bits) {
  const uint64_t half = uint64_t{1} << (bits - 1);
  return static_cast<uint64_t>(value) + half < half * 2;
}

// The residual of a predictor of the given order: out[order..blockSize),
// in 2^partitionOrder partitions of Rice codes (4-bit or 5-bit parameter)
// or, under the escape parameter, plain numbers of a stated width.
bool ReadResidual(FlacBitReader& reader, int blockSize, int order, int64_t* out) {
  const int method = static_cast<int>(reader.Read(2));
  if (method > 1) return false;
  const int parameterBits = method == 0 ? 4 : 5;
  const int escape = (1 << parameterBits) - 1;
  const int partitionOrder = static_cast<int>(reader.Read(4));
  const int perPartition = blockSize >> partitionOrder;
  if (perPartition << partitionOrder != blockSize || perPartition < order) return false;
  int i = order;
  for (int p = 0, end = perPartition; p < 1 << partitionOrder; ++p, end += perPartition) {
    const int k = static_cast<int>(reader.Read(parameterBits));
    if (k == escape) {
      const int width = static_cast<int>(reader.Read(5));
      for (; i < end; ++i) out[i] = width ? reader.ReadSigned(width) : 0;
    } else {
      if (!reader.ReadRiceRun(k, out + i, end - i)) return false;
      i = end;
    }
    if (reader.Overrun()) return false;
  }
  return true;
}

// Adds the prediction from the previous samples to each residual in
// out[order..n). Samples are held to their width, so that with at most 32
// coefficients of 15 bits no sum can leave 64 bits.
template <int Order>
bool PredictOrder(int64_t* s, int n, const int32_t* c, int shift, int bits) {
  for (int i = Order; i < n; ++i) {
    // The nearest sample last: the older ones are summed while it is made.
    int64_t sum = 0;
    for (int j = Order - 1; j >= 0; --j) sum += static_cast<int64_t>(c[j]) * s[i - 1 - j];
    s[i] += sum >> shift;
    if (!Fits(s[i], bits)) return false;
  }
  return true;
}

using Predictor = bool (*)(int64_t*, int, const int32_t*, int, int);

template <size_t... Orders>
constexpr std::array<Predictor, sizeof...(Orders)> PredictorTable(std::index_sequence<Orders...>) {
  return {&PredictOrder<static_cast<int>(Orders)>...};
}

// One loop per order, so that the compiler unrolls each.
constexpr std::array<Predictor, kMaxLpcOrder + 1> kPredictors = PredictorTable(std::make_index_sequence<kMaxLpcOrder + 1>());

bool Predict(int64_t* s, int n, int order, const int32_t* c, int shift, int bits) {
  return kPredictors[static_cast<size_t>(order)](s, n, c, shift, bits);
}

}  // namespace

bool DecodeFlacSubframe(FlacBitReader& reader, int bits, int blockSize, int64_t* out) {
  if (reader.Read(1) != 0) return false;
  const int type = static_cast<int>(reader.Read(6));
  int wasted = 0;
  if (reader.Read(1) != 0) {
    uint64_t zeros = 0;
    if (!reader.ReadUnary(zeros) || zeros + 1 >= static_cast<uint64_t>(bits)) return false;
    wasted = static_cast<int>(zeros) + 1;
  }
  bits -= wasted;

  if (type == 0) {
    const int64_t value = reader.ReadSigned(bits);
    for (int i = 0; i < blockSize; ++i) out[i] = value;
  } else if (type == 1) {
    for (int i = 0; i < blockSize; ++i) out[i] = reader.ReadSigned(bits);
  } else if (type >= 8 && type <= 12) {
    const int order = type - 8;
    if (order > blockSize) return false;
    for (int i = 0; i < order; ++i) out[i] = reader.ReadSigned(bits);
    if (!ReadResidual(reader, blockSize, order, out) || !Predict(out, blockSize, order, kFixedCoefficients[order], 0, bits))
      return false;
  } else if (type >= 32) {
    const int order = type - 31;
    if (order > blockSize) return false;
    for (int i = 0; i < order; ++i) out[i] = reader.ReadSigned(bits);
    const int precision = static_cast<int>(reader.Read(4)) + 1;
    if (precision == 16) return false;
    const int shift = static_cast<int>(reader.ReadSigned(5));
    if (shift < 0) return false;
    int32_t coefficients[kMaxLpcOrder];
    for (int i = 0; i < order; ++i) coefficients[i] = static_cast<int32_t>(reader.ReadSigned(precision));
    if (!ReadResidual(reader, blockSize, order, out) || !Predict(out, blockSize, order, coefficients, shift, bits))
      return false;
  } else {
    return false;  // reserved
  }
  if (wasted > 0)
    for (int i = 0; i < blockSize; ++i) out[i] = static_cast<int64_t>(static_cast<uint64_t>(out[i]) << wasted);
  return !reader.Overrun();
}

}  // namespace tunegrab
