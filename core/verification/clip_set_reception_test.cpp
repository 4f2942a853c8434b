// The clip-set check on the real clip set, built at every rate through the real wavcat,
// and on sets with a clip swapped, silenced or missing.
#include "core/verification/clip_set_reception.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/verification/verification_test_util.h"

namespace quillon {
namespace {

std::string Faults(const std::vector<ClipFault>& faults) {
  std::string text;
  for (const ClipFault& fault : faults) text += fault.clip + ": " + fault.problem + "\n";
  return text;
}

class ClipSetReceptionTest : public ::testing::TestWithParam<BaudRate> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::MakeProgramFolder(dir_.path(), GetParam());
  }
  QTemporaryDir dir_;
};

TEST_P(ClipSetReceptionTest, RealSetIsSound) {
  std::vector<ClipFault> faults = {{"stale", "left over"}};
  std::string err;
  ASSERT_TRUE(
      ReceiveClipSet(test::FolderClipReader(dir_.path()), NominalSignal(GetParam()), &faults, &err))
      << err;
  EXPECT_TRUE(faults.empty()) << Faults(faults);
}

// Each broken clip is named, and only it.
TEST_P(ClipSetReceptionTest, BrokenClipsAreNamed) {
  const ClipReader folder = test::FolderClipReader(dir_.path());
  const ClipReader broken = [&](const std::string& clip, std::vector<std::int16_t>* samples,
                                std::string* err) {
    if (clip == "q.wav") return folder("p.wav", samples, err);  // Q sends P
    if (clip == "FIGS.wav") return folder("LTRS.wav", samples, err);
    if (clip == "7.wav") {
      samples->assign(2000, 0);  // a clip of silence
      return true;
    }
    if (clip == "comma.wav") {
      *err = "permission denied";
      return false;
    }
    return folder(clip, samples, err);
  };
  std::vector<ClipFault> faults;
  std::string err;
  ASSERT_TRUE(ReceiveClipSet(broken, NominalSignal(GetParam()), &faults, &err)) << err;
  EXPECT_EQ(Faults(faults),
            "comma.wav: cannot be read: permission denied\n"
            "7.wav: sends \"7\" as 11100, received nothing\n"
            "q.wav: sends \"Q\" as 11101, received 01101\n"
            "FIGS.wav: sends FIGS as 11011, received 11111\n");
}

INSTANTIATE_TEST_SUITE_P(Rates, ClipSetReceptionTest,
                         ::testing::Values(BaudRate::Baud45, BaudRate::Baud50, BaudRate::Baud75,
                                           BaudRate::Baud110),
                         [](const auto& info) { return "Baud" + test::RateTag(info.param); });

TEST(ClipSetCheckRefusalTest, CheckWithoutLeadInOrAtAWrongRateDoesNotRun) {
  const ClipReader nothing = [](const std::string&, std::vector<std::int16_t>*, std::string* err) {
    *err = "no such file";
    return false;
  };
  std::vector<ClipFault> faults;
  std::string err;
  EXPECT_FALSE(ReceiveClipSet(nothing, NominalSignal(BaudRate::Baud45), &faults, &err));
  EXPECT_EQ(err, "smallsilence.wav cannot be read: no such file");

  TtySignal wide = NominalSignal(BaudRate::Baud45);
  wide.sample_rate = 16000;
  EXPECT_FALSE(ReceiveClipSet(nothing, wide, &faults, &err));
  EXPECT_NE(err.find("8000"), std::string::npos) << err;
}

}  // namespace
}  // namespace quillon
