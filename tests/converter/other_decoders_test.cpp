#include <gtest/gtest.h>

#include <vector>

#include "converter/codecs/ima_adpcm.h"
#include "converter/codecs/pcm.h"
#include "support/test_files.h"

namespace {

// Decodes data from the state of the 16-bit fields, leaving the state the
// decoder ends with in `ima`.
std::vector<int16_t> Ima(bool stereo, const Bytes& data, const Bytes& fields16, ImaState& ima) {
  ima = LoadImaState16(fields16.data());
  std::vector<uint8_t> out(4 * data.size());
  uint8_t* end = DecodeIma(data.data(), out.data(), static_cast<int32_t>(data.size()), stereo ? 2 : 1, ima);
  EXPECT_EQ(end - out.data(), static_cast<long>(4 * data.size()));
  return SamplesOf(Bytes(out.data(), end));
}

Bytes Fields16(int predictor1, int index1, int predictor2, int index2) {
  Bytes b;
  for (int v : {predictor1, index1, predictor2, index2}) AppendU16(b, static_cast<uint16_t>(v));
  return b;
}

class ImaTest : public testing::Test {
 protected:
  ImaState ima;
};

}  // namespace

TEST_F(ImaTest, MonoHighNibbleFirstMovesTheStepIndex) {
  EXPECT_EQ(Ima(false, {0x70}, Fields16(0, 0, 0, 0), ima), (std::vector<int16_t>{11, 13}));
  EXPECT_EQ(ima.stepIndex[0], 7);
}

TEST_F(ImaTest, StereoHighNibbleLeftLowNibbleRight) {
  EXPECT_EQ(Ima(true, {0x78}, Fields16(0, 0, 0, 0), ima), (std::vector<int16_t>{11, 0}));
}

TEST_F(ImaTest, IndexAndPredictorAreLimited) {
  Ima(false, {0x00}, Fields16(0, 0, 0, 0), ima);
  EXPECT_EQ(ima.stepIndex[0], 0);
  // Code 7 at the top step: the predictor stops at 32767, the index at 88.
  std::vector<int16_t> s = Ima(false, {0x77}, Fields16(32000, 88, 0, 0), ima);
  EXPECT_EQ(s[0], 32767);
  EXPECT_EQ(s[1], 32767);
  EXPECT_EQ(ima.stepIndex[0], 88);
}

TEST_F(ImaTest, HeaderStepIndexOutsideTheTableIsClamped) {
  Ima(false, {}, Fields16(0, 500, 0, -3), ima);
  EXPECT_EQ(ima.stepIndex[0], 88);
  EXPECT_EQ(ima.stepIndex[1], 0);
}

TEST_F(ImaTest, ThirtyTwoBitLayoutHoldsIndexesFirstAndLow16BitPredictors) {
  Bytes f;
  AppendU32(f, 5);
  AppendU32(f, 6);
  AppendU32(f, 0x0001FFFF);  // low 16 bits: -1
  AppendU32(f, 100);
  ima = LoadImaState32(f.data());
  EXPECT_EQ(ima.stepIndex[0], 5);
  EXPECT_EQ(ima.stepIndex[1], 6);
  EXPECT_EQ(ima.predictor[0], -1);
  EXPECT_EQ(ima.predictor[1], 100);
}

TEST(PcmTest, EightBitSamplesWidenToBothBytes) {
  Bytes in{0x00, 0x7F, 0x80, 0xFF};
  std::vector<uint8_t> out(8);
  uint8_t* end = WidenPcm8(in.data(), out.data(), in.size());
  EXPECT_EQ(SamplesOf(Bytes(out.data(), end)), (std::vector<int16_t>{0, 32639, -32640, -1}));
}
