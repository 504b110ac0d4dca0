#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/link/little_endian.h"
#include "sim/receiver_harness.h"

namespace qv::sim {
namespace {

struct Sweep {
  SweepHeader header;  // of the first block
  std::vector<int16_t> levels;
  bool any_status_mismatch = false;
};

// Joins the sweep blocks of one type into whole sweeps, checking that the blocks tile 0 … N-1.
std::vector<Sweep> JoinSweeps(const std::vector<Bytes>& blocks) {
  std::vector<Sweep> sweeps;
  for (const Bytes& block : blocks) {
    auto h = ParseSweepHeader(block.data(), block.size());
    EXPECT_TRUE(h.has_value());
    if (!h) continue;
    size_t offset = SweepLevelsOffset(h->type);
    EXPECT_EQ(block.size(), offset + 2u * h->block_count);
    if (h->block_frequency == h->start) sweeps.push_back({*h, {}});
    if (sweeps.empty()) continue;
    Sweep& s = sweeps.back();
    EXPECT_EQ(h->block_frequency, s.header.start + s.levels.size()) << "blocks must tile";
    if (h->status != s.header.status) s.any_status_mismatch = true;
    for (size_t i = 0; i < h->block_count; ++i) {
      s.levels.push_back(static_cast<int16_t>(GetU16(block.data() + offset + 2 * i)));
    }
  }
  return sweeps;
}

int16_t PeakDbm(const Sweep& s) {
  return *std::max_element(s.levels.begin(), s.levels.end()) / 16;
}

TEST(SimulatedReceiverIdentity, AnswersTheThreeRequestsWithFramedMessages) {
  ReceiverHarness h(Transport::kNetwork);
  h.Send(BuildRequestFirmware());
  h.clock.Advance(20);
  EXPECT_EQ(h.raw, (Bytes{0x11, 0x12, 0x01, 0x31, 0x2E, 0x30, 0x35, 0x00, 0x11, 0x13}));

  h.Send(BuildRequestSerial());
  h.Send(BuildRequestBands());
  h.clock.Advance(100);
  ASSERT_EQ(h.messages.size(), 3u);
  EXPECT_EQ(h.messages[1], (Bytes{0x02, 0x31, 0x30, 0x30, 0x31, 0x32, 0x33}));
  EXPECT_EQ(h.messages[2],
            (Bytes{0x08, 0x04, 0x80, 0x46, 0x00, 0x00, 0x80, 0x48, 0x00, 0x00, 0x80, 0xBB,
                   0x00, 0x00, 0x50, 0xC3, 0x00, 0x00, 0xD0, 0x7E, 0x01, 0x00, 0xD8, 0x85,
                   0x01, 0x00, 0x58, 0x92, 0x01, 0x00, 0xF0, 0xCC, 0x01, 0x00}));
  // Nothing streams and nothing is acknowledged without a mode and a spectrum.
  h.Send(BuildSetReferenceLevel(-30));
  h.clock.Advance(1000);
  EXPECT_EQ(h.messages.size(), 3u);
}

TEST(SimulatedReceiverIdentity, CheckByteIsVerifiedOnSerialAndNetworkOnly) {
  for (Transport t : {Transport::kSerial, Transport::kNetwork}) {
    ReceiverHarness h(t);
    h.SendRaw({0x11, 0x12, 0x01, 0x02, 0x11, 0x13});  // check byte should be 01
    h.SendRaw({0x11, 0x12, 0x01, 0x11, 0x13});        // no check byte at all
    h.clock.Advance(100);
    EXPECT_TRUE(h.raw.empty());
    h.SendRaw({0x11, 0x12, 0x01, 0x01, 0x11, 0x13});
    h.clock.Advance(100);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0][0], kMsgFirmware);
  }
  ReceiverHarness usb(Transport::kUsb);
  usb.SendRaw({0x11, 0x12, 0x01, 0x11, 0x13});
  usb.clock.Advance(100);
  ASSERT_EQ(usb.messages.size(), 1u);
  EXPECT_EQ(usb.messages[0][0], kMsgFirmware);
}

TEST(SimulatedReceiverIdentity, ShortAndUnknownCommandsAndNoiseAreIgnored) {
  for (Transport t : {Transport::kSerial, Transport::kNetwork, Transport::kUsb}) {
    ReceiverHarness h(t);
    h.Send({kOpSetSpectrum, 0x80, 0xBB});
    h.Send({kOpSetMode});
    h.Send({0x05, 0x01});
    Bytes noise;
    for (int i = 0; i < 5000; ++i) noise.push_back(static_cast<uint8_t>(Mix64(i) % 7 + 0x10));
    h.SendRaw(noise);
    h.clock.Advance(500);
    EXPECT_EQ(h.receiver->CommandsAccepted(), 0u);
    EXPECT_TRUE(h.messages.empty());
  }
}

TEST(SimulatedReceiverSpectrum, StreamsWholeSweepsWithTheCommandedHeader) {
  ReceiverHarness h(Transport::kNetwork);
  h.StreamSpectrum(Spectrum(48000, 1000, 800));
  h.Send({0x07, 0xD8, 0xFF});  // -40 dBm
  h.clock.Advance(2000);
  auto sweeps = JoinSweeps(h.OfType(kMsgSweep));
  ASSERT_GE(sweeps.size(), 2u);
  const std::vector<uint32_t> first_blocks = {48000, 48250, 48500, 48750};
  std::vector<uint32_t> seen;
  for (const Bytes& b : h.OfType(kMsgSweep)) {
    auto hd = ParseSweepHeader(b.data(), b.size());
    if (seen.size() < 4) seen.push_back(hd->block_frequency);
    EXPECT_EQ(hd->block_count, 250);
  }
  EXPECT_EQ(seen, first_blocks);
  for (const Sweep& s : sweeps) {
    EXPECT_EQ(s.header.start, 48000u);
    EXPECT_EQ(s.header.points, 1000u);
    EXPECT_EQ(s.header.sweep_word, 1);
    EXPECT_EQ(s.header.rbw_code, 800);
    EXPECT_EQ(s.header.reference_level, -40);
    EXPECT_FALSE(s.any_status_mismatch);
  }
  EXPECT_EQ(sweeps.front().levels.size(), 1000u);

  // A new spectrum takes effect on the following sweeps; the old one is not finished.
  h.messages.clear();
  h.Send(BuildSetSpectrum(Spectrum(18048, 37)));
  h.clock.Advance(500);
  auto later = JoinSweeps(h.OfType(kMsgSweep));
  ASSERT_FALSE(later.empty());
  EXPECT_EQ(later.back().header.start, 18048u);
  EXPECT_EQ(later.back().levels.size(), 37u);
}

TEST(SimulatedReceiverSpectrum, StatusBitsFollowTheLevelsAndFaults) {
  ReceiverHarness h(Transport::kUsb);
  h.StreamSpectrum(Spectrum(48000, 2000, 80));
  h.Send(BuildSetReferenceLevel(-60));
  h.clock.Advance(20000);
  auto sweeps = JoinSweeps(h.OfType(kMsgSweep));
  ASSERT_GE(sweeps.size(), 10u);
  int clipped = 0;
  for (const Sweep& s : sweeps) {
    bool above = *std::max_element(s.levels.begin(), s.levels.end()) > -60 * 16;
    EXPECT_EQ((s.header.status & kStatusDataClipping) != 0, above);
    EXPECT_EQ(s.header.status & kStatusLowBattery, 0);
    clipped += above;
  }
  EXPECT_GT(clipped, 0);

  SimOptions faults;
  faults.low_battery = true;
  faults.clipping = true;
  ReceiverHarness f(Transport::kUsb, faults);
  f.StreamSpectrum(Spectrum(48000, 400));
  f.clock.Advance(3000);
  auto faulty = JoinSweeps(f.OfType(kMsgSweep));
  ASSERT_FALSE(faulty.empty());
  for (const Sweep& s : faulty) {
    EXPECT_EQ(s.header.status, kStatusDataClipping | kStatusLowBattery);
    EXPECT_GT(PeakDbm(s), -20);
  }
}

// Median level of many sweeps of an empty stretch of the 5 GHz band.
double FloorDbm(uint16_t rbw_code) {
  ReceiverHarness h(Transport::kUsb);
  h.StreamSpectrum(Spectrum(106000, 200, rbw_code));
  h.clock.Advance(3000);
  std::vector<int16_t> all;
  for (const Sweep& s : JoinSweeps(h.OfType(kMsgSweep))) {
    all.insert(all.end(), s.levels.begin(), s.levels.end());
  }
  EXPECT_GT(all.size(), 1000u);
  std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
  return all[all.size() / 2] / 16.0;
}

TEST(SimulatedReceiverSignal, NoiseFloorRisesWithTheResolutionBandwidth) {
  double narrow = FloorDbm(1600);  // 50 kHz
  double wide = FloorDbm(80);      // 1 MHz: 13 dB more noise
  EXPECT_LT(narrow, -90);
  EXPECT_NEAR(wide - narrow, 13.0, 2.5);
}

TEST(SimulatedReceiverSignal, CarrierAt915AndBurstyWifi) {
  ReceiverHarness h(Transport::kUsb);
  h.StreamSpectrum(Spectrum(18048, 512));
  h.clock.Advance(1000);
  auto sweeps = JoinSweeps(h.OfType(kMsgSweep));
  ASSERT_FALSE(sweeps.empty());
  const Sweep& s = sweeps.front();
  auto peak = std::max_element(s.levels.begin(), s.levels.end()) - s.levels.begin();
  EXPECT_NEAR((18048 + peak) * 0.05, 915.0, 0.2);
  EXPECT_GT(PeakDbm(s), -45);

  // Channel 6 centre, 2437 MHz, over many sweeps: sometimes busy, sometimes quiet.
  ReceiverHarness w(Transport::kUsb);
  w.StreamSpectrum(Spectrum(48720, 40));
  w.clock.Advance(5000);
  int busy = 0, quiet = 0;
  for (const Sweep& sw : JoinSweeps(w.OfType(kMsgSweep))) {
    int16_t centre = sw.levels[20] / 16;
    busy += centre > -75;
    quiet += centre < -85;
  }
  EXPECT_GT(busy, 3);
  EXPECT_GT(quiet, 3);
}

TEST(SimulatedReceiverPacing, NeverSendsMoreThanTheByteRateAllows) {
  for (uint32_t rate : {0u, 100000u}) {
    SimOptions o;
    o.bytes_per_second = rate;
    ReceiverHarness h(Transport::kNetwork, o);
    h.StreamSpectrum(Spectrum(48000, 1000));
    h.clock.Advance(1000);
    const size_t per_second = rate ? rate : 11520;
    const size_t per_tick = (per_second * 10 + 999) / 1000;
    EXPECT_LE(*std::max_element(h.chunks.begin(), h.chunks.end()), per_tick);
    EXPECT_LE(h.raw.size(), per_second);
    EXPECT_GE(h.raw.size(), per_second - 2 * per_tick)
        << "a streaming receiver keeps the line busy";
  }
}

// A fast stream on a busy machine: late ticks still carry the rate of the wall clock, and a
// link that cannot take the stream loses it (counted) instead of piling it up in memory.
TEST(SimulatedReceiverPacing, FollowsTheWallClockAndDropsWhatAFullLinkCannotTake) {
  SimOptions o;
  o.bytes_per_second = 2000000;
  ReceiverHarness h(Transport::kNetwork, o);
  int64_t wall_ms = 0;
  size_t unsent = 0;
  h.receiver->SetWallClock([&] { return wall_ms; });
  h.receiver->SetBacklog([&] { return unsent; });
  h.StreamSpectrum(Spectrum(48000, 1000));
  // Ticks 30 ms late for a second: the stream keeps its 2 MB/s.
  for (int tick = 0; tick < 33; ++tick) {
    wall_ms += 30;
    h.clock.Advance(SimulatedReceiver::kTickMs);
  }
  EXPECT_GE(h.raw.size(), 1900000u);
  EXPECT_LE(h.raw.size(), 2000000u);
  EXPECT_EQ(h.receiver->BytesSent(), h.raw.size());
  EXPECT_EQ(h.receiver->BytesDropped(), 0u);

  // The peer stops reading: nothing more is queued or sent, and the loss is counted.
  const size_t before = h.raw.size();
  unsent = 1 << 20;
  for (int tick = 0; tick < 50; ++tick) {
    wall_ms += 10;
    h.clock.Advance(SimulatedReceiver::kTickMs);
  }
  EXPECT_EQ(h.raw.size(), before);
  EXPECT_GE(h.receiver->BytesDropped(), 990000u);
  // It reads again: whole frames resume, none cut by the pause.
  unsent = 0;
  for (int tick = 0; tick < 20; ++tick) {
    wall_ms += 10;
    h.clock.Advance(SimulatedReceiver::kTickMs);
  }
  EXPECT_GT(h.raw.size(), before + 300000);
  const auto sweeps = JoinSweeps(h.OfType(kMsgSweep));
  EXPECT_GT(sweeps.size(), 100u);
}

TEST(SimulatedReceiverPacing, SameSeedSameBytesOtherSeedOtherBytes) {
  auto run = [](uint32_t seed) {
    SimOptions o;
    o.seed = seed;
    ReceiverHarness h(Transport::kSerial, o);
    h.StreamSpectrum(Spectrum(48000, 2000));
    h.clock.Advance(3000);
    return h.raw;
  };
  Bytes a = run(7);
  EXPECT_GT(a.size(), 30000u);
  EXPECT_EQ(a, run(7));
  EXPECT_NE(a, run(8));
}

struct TriggerRun {
  std::vector<Sweep> sweeps;
  size_t spectrum_blocks;
};

TriggerRun RunTrigger(int16_t threshold, uint16_t delay) {
  ReceiverHarness h(Transport::kNetwork);
  h.Send(BuildSetMode(kPowerTriggerMode));
  h.Send(BuildSetTrigger(threshold, delay));
  h.Send(BuildSetSpectrum(Spectrum(48800, 400)));  // 2440 … 2460 MHz, the oven's range
  h.clock.Advance(20000);
  return {JoinSweeps(h.OfType(kMsgTriggerSweep)), h.OfType(kMsgSweep).size()};
}

TEST(SimulatedReceiverTrigger, SendsTriggerSweepsOnlyOnCrossings) {
  TriggerRun run = RunTrigger(-60, 0x1111);
  EXPECT_EQ(run.spectrum_blocks, 0u);
  // 200 looks at the power in 20 s; the oven cycles every 12 of them.
  ASSERT_GE(run.sweeps.size(), 5u);
  EXPECT_LE(run.sweeps.size(), 60u);
  for (const Sweep& s : run.sweeps) {
    EXPECT_EQ(s.levels.size(), 400u);
    EXPECT_GE(PeakDbm(s), -60);
    EXPECT_EQ(s.header.trigger_word1, 0xFFC4);
    EXPECT_EQ(s.header.trigger_word2, 0x1111);
  }
  // Never crossed: too high, or always above.
  EXPECT_TRUE(RunTrigger(10, 0).sweeps.empty());
  EXPECT_TRUE(RunTrigger(-200, 0).sweeps.empty());
}

TEST(SimulatedReceiverFaults, SilentAndDroppedAnswers) {
  SimOptions silent;
  silent.silent = true;
  ReceiverHarness s(Transport::kNetwork, silent);
  s.Send(BuildRequestFirmware());
  s.StreamSpectrum(Spectrum(48000, 100));
  s.clock.Advance(2000);
  EXPECT_TRUE(s.raw.empty());

  SimOptions drop;
  drop.drop_answers = {kOpRequestBands};
  ReceiverHarness d(Transport::kNetwork, drop);
  d.Send(BuildRequestFirmware());
  d.Send(BuildRequestBands());
  d.Send(BuildRequestSerial());
  d.clock.Advance(500);
  ASSERT_EQ(d.messages.size(), 2u);
  EXPECT_EQ(d.messages[0][0], kMsgFirmware);
  EXPECT_EQ(d.messages[1][0], kMsgSerialNumber);
}

TEST(SimulatedReceiverFaults, GarbageLosesSomeBlocksButNeverCorruptsOne) {
  SimOptions o;
  o.garbage = true;
  ReceiverHarness h(Transport::kNetwork, o);
  h.Send(BuildRequestFirmware());
  h.StreamSpectrum(Spectrum(48000, 100));
  h.clock.Advance(5000);
  ASSERT_FALSE(h.messages.empty());
  EXPECT_EQ(h.messages[0], (Bytes{0x01, 0x31, 0x2E, 0x30, 0x35, 0x00}));
  size_t blocks = 0;
  for (const Bytes& m : h.messages) {
    if (m[0] != kMsgSweep) continue;
    ++blocks;
    auto hd = ParseSweepHeader(m.data(), m.size());
    ASSERT_TRUE(hd);
    EXPECT_EQ(m.size(), kSweepLevelsOffset + 2u * hd->block_count);
    EXPECT_EQ(hd->start, 48000u);
  }
  // Each 100-point sweep is one block; some were spoilt by a bad escape on the way.
  EXPECT_GT(blocks, 0u);
  EXPECT_LT(blocks, h.receiver->SweepsSent());
  EXPECT_NE(h.raw[0], 0x11) << "noise comes before the first frame";
}

TEST(SimulatedReceiverFaults, DisconnectsAfterTheGivenSweeps) {
  for (bool mid_frame : {false, true}) {
    SimOptions o;
    o.disconnect_after_sweeps = 2;
    o.disconnect_mid_frame = mid_frame;
    ReceiverHarness h(Transport::kNetwork, o);
    int disconnects = 0;
    h.receiver->SetDisconnectHandler([&] { ++disconnects; });
    h.StreamSpectrum(Spectrum(48000, 1000));
    h.clock.Advance(5000);
    EXPECT_EQ(disconnects, 1);
    EXPECT_TRUE(h.receiver->Disconnected());
    EXPECT_EQ(JoinSweeps(h.OfType(kMsgSweep)).size(), 2u);
    EXPECT_EQ(h.OfType(kMsgSweep).size(), 8u);
    const bool ends_with_frame_end = h.raw[h.raw.size() - 2] == 0x11 && h.raw.back() == 0x13;
    EXPECT_EQ(ends_with_frame_end, !mid_frame);
    size_t before = h.raw.size();
    h.Send(BuildRequestFirmware());
    h.clock.Advance(1000);
    EXPECT_EQ(h.raw.size(), before);
  }
}

}  // namespace
}  // namespace qv::sim
