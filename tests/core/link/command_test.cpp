#include "core/link/command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qv {
namespace {

using ::testing::ElementsAre;

TEST(CommandFraming, ReferenceLevelFramesWithAndWithoutCheckByte) {
  const Bytes command = BuildSetReferenceLevel(-20);
  EXPECT_THAT(FrameCommand(command, /*with_check_byte=*/true),
              ElementsAre(0x11, 0x12, 0x07, 0xEC, 0xFF, 0x14, 0x11, 0x13));
  EXPECT_THAT(FrameCommand(command, /*with_check_byte=*/false),
              ElementsAre(0x11, 0x12, 0x07, 0xEC, 0xFF, 0x11, 0x13));
}

TEST(CommandFraming, SpectrumCommandBytesAndCheckByte) {
  const Bytes command =
      BuildSetSpectrum({.start = 18048, .span = 400, .sweep_word = 1, .rbw_code = 1600});
  EXPECT_THAT(command, ElementsAre(0x04, 0x80, 0x46, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00,
                                   0x40, 0x06));
  EXPECT_EQ(CheckByte(command.data(), command.size()), 0x14);
  EXPECT_THAT(FrameCommand(command, true),
              ElementsAre(0x11, 0x12, 0x04, 0x80, 0x46, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01,
                          0x00, 0x40, 0x06, 0x14, 0x11, 0x13));
}

// The check byte covers the command as built, not the escaped bytes on the wire.
TEST(CommandFraming, EscapesDataBytesAndComputesCheckBeforeEscaping) {
  const Bytes span17 =
      BuildSetSpectrum({.start = 18048, .span = 17, .sweep_word = 1, .rbw_code = 1600});
  EXPECT_THAT(FrameCommand(span17, true),
              ElementsAre(0x11, 0x12, 0x04, 0x80, 0x46, 0x00, 0x00, 0x11, 0x14, 0x00, 0x00, 0x00,
                          0x01, 0x00, 0x40, 0x06, 0x94, 0x11, 0x13));

  // Threshold -50 dBm, delay 0x0211 units: the delay's low byte is the escape byte.
  const Bytes trigger = BuildSetTrigger(-50, 0x0211);
  EXPECT_THAT(trigger, ElementsAre(0x09, 0xCE, 0xFF, 0x11, 0x02));
  EXPECT_THAT(FrameCommand(trigger, true),
              ElementsAre(0x11, 0x12, 0x09, 0xCE, 0xFF, 0x11, 0x14, 0x02, 0x2B, 0x11, 0x13));
  EXPECT_THAT(FrameCommand(trigger, false),
              ElementsAre(0x11, 0x12, 0x09, 0xCE, 0xFF, 0x11, 0x14, 0x02, 0x11, 0x13));
}

TEST(CommandFraming, CheckByteEqualToEscapeIsEscapedToo) {
  // 07 E9 FF (-23 dBm) exclusive-ors to 0x11.
  EXPECT_THAT(FrameCommand(BuildSetReferenceLevel(-23), true),
              ElementsAre(0x11, 0x12, 0x07, 0xE9, 0xFF, 0x11, 0x14, 0x11, 0x13));
  EXPECT_THAT(FrameCommand(BuildSetReferenceLevel(-23), false),
              ElementsAre(0x11, 0x12, 0x07, 0xE9, 0xFF, 0x11, 0x13));
}

TEST(CommandFraming, WorstCaseFrameIsTwiceTheLengthPlusSix) {
  const Bytes all_escapes = {0x11, 0x11, 0x11};  // check byte 0x11 as well
  EXPECT_THAT(FrameCommand(all_escapes, true),
              ElementsAre(0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13));
}

TEST(CommandBytes, ReferenceLevelsOfAllSixSteps) {
  EXPECT_THAT(BuildSetReferenceLevel(-20), ElementsAre(0x07, 0xEC, 0xFF));
  EXPECT_THAT(BuildSetReferenceLevel(-30), ElementsAre(0x07, 0xE2, 0xFF));
  EXPECT_THAT(BuildSetReferenceLevel(-40), ElementsAre(0x07, 0xD8, 0xFF));
  EXPECT_THAT(BuildSetReferenceLevel(-50), ElementsAre(0x07, 0xCE, 0xFF));
  EXPECT_THAT(BuildSetReferenceLevel(-60), ElementsAre(0x07, 0xC4, 0xFF));
  EXPECT_THAT(BuildSetReferenceLevel(-70), ElementsAre(0x07, 0xBA, 0xFF));
}

TEST(CommandBytes, ModeTriggerAndRequestLayouts) {
  EXPECT_THAT(BuildSetMode(kSpectrumMode), ElementsAre(0x03, 0x01));
  EXPECT_THAT(BuildSetMode(kPowerTriggerMode), ElementsAre(0x03, 0x02));
  // -60 dBm threshold, 10 us delay = 800 units of 12.5 ns.
  EXPECT_THAT(BuildSetTrigger(-60, 800), ElementsAre(0x09, 0xC4, 0xFF, 0x20, 0x03));
  EXPECT_THAT(BuildRequestFirmware(), ElementsAre(0x01));
  EXPECT_THAT(BuildRequestBands(), ElementsAre(0x08));
  EXPECT_THAT(BuildRequestSerial(), ElementsAre(0x02));
  EXPECT_THAT(FrameCommand(BuildRequestFirmware(), true),
              ElementsAre(0x11, 0x12, 0x01, 0x01, 0x11, 0x13));
}

}  // namespace
}  // namespace qv
