#include "core/record/capture_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/record/log_test_files.h"

namespace qv {
namespace {

const LogClock kClock{12, 7, 26, 13, 45, 7};

CaptureSweep Sweep(uint32_t points, int16_t first_level = -100) {
  CaptureSweep s;
  s.type = 6;
  s.start = 48000;
  s.points = points;
  s.rbw_code = 3;
  s.reference_level = -20;
  s.status = 0x41;
  s.power = -42.5f;
  for (uint32_t i = 0; i < points; ++i)
    s.levels.push_back(static_cast<int16_t>(first_level - i % 7));
  return s;
}

Bytes Slice(const Bytes& bytes, size_t at, size_t length) {
  return Bytes(bytes.begin() + static_cast<long>(at),
               bytes.begin() + static_cast<long>(at + length));
}

// Three captures of different N in memory, as Append writes them; `offsets` gets each entry's.
Bytes ThreeCaptures(std::vector<size_t>* offsets = nullptr) {
  Bytes file;
  const uint32_t points[] = {400, 3, 17};
  for (uint32_t i = 0; i < 3; ++i) {
    if (offsets != nullptr) offsets->push_back(file.size());
    const Bytes entry = BuildCaptureEntry(i, kClock, kNoCommentsText, Sweep(points[i]));
    file.insert(file.end(), entry.begin(), entry.end());
  }
  const Bytes trailer = BuildCaptureTrailer(3);
  file.insert(file.end(), trailer.begin(), trailer.end());
  return file;
}

CaptureScan Scan(const Bytes& bytes) {
  // An exact-size heap copy, so a read past the end is caught by the sanitizer.
  const std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  return ScanCaptureFile(exact.data(), exact.size());
}

TEST(CaptureFileTest, CapturesAreAppendedByteForByteAndNumberedPerFile) {
  TempDir dir;
  const std::string path = dir.File("one.icf");
  std::string error;
  ASSERT_TRUE(CaptureFile::Create(path, &error)) << error;
  EXPECT_TRUE(ReadWholeFile(path).empty());

  uint32_t number = 99;
  ASSERT_TRUE(CaptureFile::Append(path, kClock, Sweep(400), &number, &error)) << error;
  EXPECT_EQ(number, 0u);
  const Bytes one = ReadWholeFile(path);
  ASSERT_EQ(one.size(), 966u);
  EXPECT_EQ(Slice(one, 0, 15), (Bytes{0x01, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x07, 0x1A, 0x0D, 0x2D,
                                      0x07, 0x0B, 0x00, 0x00, 0x00}));
  EXPECT_EQ(std::string(one.begin() + 15, one.begin() + 26), "No Comments");
  EXPECT_EQ(Slice(one, 26, 117), Bytes(117, 0));
  EXPECT_EQ(Slice(one, 143, 18), (Bytes{0x06, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x03,
                                        0x00, 0xEC, 0xFF, 0x41, 0x00, 0x00, 0x2A, 0xC2}));
  // Levels -100, -101, ... as 16-bit words; the last (399 % 7 = 0) is -100 again.
  EXPECT_EQ(Slice(one, 161, 4), (Bytes{0x9C, 0xFF, 0x9B, 0xFF}));
  EXPECT_EQ(Slice(one, 959, 2), (Bytes{0x9C, 0xFF}));
  EXPECT_EQ(Slice(one, 961, 5), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00}));

  // The second capture goes where the trailer was, and the trailer moves behind it.
  ASSERT_TRUE(CaptureFile::Append(path, kClock, Sweep(3), &number, &error)) << error;
  EXPECT_EQ(number, 1u);
  const Bytes two = ReadWholeFile(path);
  ASSERT_EQ(two.size(), 961u + 161 + 6 + 5);
  EXPECT_EQ(Slice(two, 0, 961), Slice(one, 0, 961));
  EXPECT_EQ(Slice(two, 961, 5), (Bytes{0x01, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Slice(two, two.size() - 5, 5), (Bytes{0x00, 0x02, 0x00, 0x00, 0x00}));
  CaptureScan scan;
  ASSERT_TRUE(CaptureFile::Read(path, &scan, &error)) << error;
  EXPECT_EQ(scan.problem, "");
  ASSERT_EQ(scan.entries.size(), 2u);
  EXPECT_TRUE(scan.has_trailer);
  EXPECT_EQ(scan.trailer_count, 2u);
  EXPECT_EQ(scan.entries[1].offset, 961u);
  EXPECT_EQ(scan.entries[0].sweep, Sweep(400));
  EXPECT_EQ(scan.entries[1].sweep, Sweep(3));
  EXPECT_EQ(scan.entries[1].clock, kClock);
  EXPECT_EQ(scan.entries[1].comment, "No Comments");
  EXPECT_EQ(Bytes(scan.entries[1].block.begin(), scan.entries[1].block.end()),
            Slice(two, 961 + 143, 18));

  // A new file over the old one numbers from 0 again.
  ASSERT_TRUE(CaptureFile::Create(path, &error)) << error;
  ASSERT_TRUE(CaptureFile::Append(path, kClock, Sweep(5), &number, &error)) << error;
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(ReadWholeFile(path).size(), 161u + 10 + 5);

  EXPECT_FALSE(CaptureFile::Append(path, kClock, Sweep(15001), &number, &error));
  EXPECT_EQ(ReadWholeFile(path).size(), 161u + 10 + 5);
  EXPECT_FALSE(CaptureFile::Append(dir.File("gone.icf"), kClock, Sweep(5), &number, &error));
  EXPECT_EQ(error, dir.File("gone.icf") + ": No such file or directory");
  EXPECT_FALSE(CaptureFile::Read(dir.File("gone.icf"), &scan, &error));
  EXPECT_EQ(error, "gone.icf file could not be opened. \n Please Check the File.\n" +
                       dir.File("gone.icf") + ": No such file or directory");
}

TEST(CaptureFileTest, CommentsChangeOnlyTheirFieldAndAreCutOnACharacter) {
  EXPECT_EQ(CutCaptureComment(std::string(128, 'x')), std::string(128, 'x'));
  std::string two_byte = "a";  // then 100 two-byte characters: byte 128 is one's second half
  for (int i = 0; i < 100; ++i) two_byte += "\xC3\xA9";
  EXPECT_EQ(CutCaptureComment(two_byte), two_byte.substr(0, 127));
  std::string three_byte;
  for (int i = 0; i < 67; ++i) three_byte += "\xE2\x82\xAC";
  EXPECT_EQ(CutCaptureComment(three_byte), three_byte.substr(0, 126));

  TempDir dir;
  const std::string path = dir.File("three.icf");
  std::vector<size_t> offsets;
  const Bytes before = ThreeCaptures(&offsets);
  WriteWholeFile(path, before.data(), before.size());

  std::string error;
  const std::string full(128, 'c');
  ASSERT_TRUE(CaptureFile::WriteComment(path, 1, full, &error)) << error;
  Bytes after = ReadWholeFile(path);
  ASSERT_EQ(after.size(), before.size());
  const size_t field = offsets[1] + 11;
  EXPECT_EQ(Slice(after, field, 4), (Bytes{0x80, 0x00, 0x00, 0x00}));
  EXPECT_EQ(std::string(after.begin() + field + 4, after.begin() + field + 132), full);
  EXPECT_EQ(Slice(after, 0, field), Slice(before, 0, field));
  EXPECT_EQ(Slice(after, field + 132, after.size() - field - 132),
            Slice(before, field + 132, before.size() - field - 132));
  CaptureScan scan = Scan(after);
  ASSERT_EQ(scan.entries.size(), 3u);
  EXPECT_EQ(scan.entries[2].offset, offsets[2]);
  EXPECT_EQ(scan.entries[1].comment, full);

  // A shorter comment over a longer one leaves no tail of it; a long one is cut.
  ASSERT_TRUE(CaptureFile::WriteComment(path, 2, two_byte, &error)) << error;
  ASSERT_TRUE(CaptureFile::WriteComment(path, 2, "ok", &error)) << error;
  after = ReadWholeFile(path);
  EXPECT_EQ(Slice(after, offsets[2] + 11, 6), (Bytes{0x02, 0x00, 0x00, 0x00, 'o', 'k'}));
  EXPECT_EQ(Slice(after, offsets[2] + 17, 126), Bytes(126, 0));
  ASSERT_TRUE(CaptureFile::WriteComment(path, 0, two_byte, &error)) << error;
  ASSERT_TRUE(CaptureFile::Read(path, &scan, &error)) << error;
  EXPECT_EQ(scan.problem, "");
  EXPECT_EQ(scan.entries[0].comment, two_byte.substr(0, 127));
  EXPECT_EQ(scan.entries[0].sweep, Sweep(400));

  EXPECT_FALSE(CaptureFile::WriteComment(path, 3, "x", &error));
  EXPECT_EQ(ReadWholeFile(path).size(), before.size());
}

TEST(CaptureFileTest, DamageKeepsTheWholeEntriesAndSaysWhatAndWhere) {
  std::vector<size_t> at;
  const Bytes sound = ThreeCaptures(&at);
  const CaptureScan ok = Scan(sound);
  EXPECT_EQ(ok.problem, "");
  EXPECT_EQ(ok.entries_end, sound.size() - 5);

  struct Damage {
    size_t byte;
    std::vector<uint8_t> value;
    size_t whole;  // entries that still read
    std::string words;
  };
  const std::vector<Damage> cases = {
      {at[2],
       {7},
       2,
       "entry 3 at byte " + std::to_string(at[2]) + " is damaged: its marker byte is 7"},
      {at[1] + 148, {0x99, 0x3A}, 1, "point count is 15001, over 15000"},
      {at[1] + 11, {129}, 1, "comment length is 129, over 128"},
      {sound.size() - 4, {4}, 3, "counts 4 captures, but the file holds 3"},
  };
  for (const Damage& d : cases) {
    Bytes bytes = sound;
    std::copy(d.value.begin(), d.value.end(), bytes.begin() + static_cast<long>(d.byte));
    const CaptureScan scan = Scan(bytes);
    EXPECT_EQ(scan.entries.size(), d.whole) << d.words;
    EXPECT_NE(scan.problem.find(d.words), std::string::npos) << scan.problem;
  }
  Bytes extra = sound;
  extra.insert(extra.end(), {0, 0, 0});
  CaptureScan scan = Scan(extra);
  EXPECT_EQ(scan.entries.size(), 3u);
  EXPECT_NE(scan.problem.find("8 bytes at byte " + std::to_string(at[2] + 161 + 34) +
                              " are neither a capture entry nor the trailer"),
            std::string::npos)
      << scan.problem;

  // Cut anywhere in the last entry or the trailer: the entries before it, and a problem.
  for (size_t cut = at[2]; cut < sound.size(); ++cut) {
    scan = Scan(Slice(sound, 0, cut));
    const size_t whole = cut < sound.size() - 5 ? 2 : 3;
    ASSERT_EQ(scan.entries.size(), whole) << cut;
    EXPECT_TRUE(scan.torn) << cut;
    EXPECT_EQ(scan.entries_end, whole == 2 ? at[2] : sound.size() - 5);
    EXPECT_FALSE(scan.problem.empty()) << cut;
    if (cut > at[2] && whole == 2) {
      EXPECT_NE(scan.problem.find("at byte " + std::to_string(at[2])), std::string::npos);
    }
  }

  // Appending over a torn end repairs it; over damage before the end it is refused.
  TempDir dir;
  const std::string path = dir.File("damaged.icf");
  const Bytes torn = Slice(sound, 0, at[2] + 100);
  WriteWholeFile(path, torn.data(), torn.size());
  std::string error;
  uint32_t number = 0;
  ASSERT_TRUE(CaptureFile::Append(path, kClock, Sweep(2), &number, &error)) << error;
  EXPECT_EQ(number, 2u);
  ASSERT_TRUE(CaptureFile::Read(path, &scan, &error));
  EXPECT_EQ(scan.problem, "");
  EXPECT_EQ(scan.entries.size(), 3u);
  Bytes marked = sound;
  marked[at[1]] = 9;
  WriteWholeFile(path, marked.data(), marked.size());
  EXPECT_FALSE(CaptureFile::Append(path, kClock, Sweep(2), &number, &error));
  EXPECT_NE(error.find("marker byte is 9"), std::string::npos) << error;
  EXPECT_EQ(ReadWholeFile(path), marked);
}

TEST(CaptureFileTest, RandomBytesAreReadOnlyWithinTheirBounds) {
  std::mt19937 random(14);
  const Bytes sound = ThreeCaptures();
  for (int round = 0; round < 3000; ++round) {
    // Mostly a real file with a few bytes changed, so the reader gets past the first entry.
    Bytes bytes = Slice(sound, 0, random() % (sound.size() + 1));
    for (int flips = random() % 4; flips >= 0 && !bytes.empty(); --flips)
      bytes[random() % bytes.size()] =
          static_cast<uint8_t>(random() % 3 == 0 ? random() : random() % 2);
    if (round % 3 == 0) {
      bytes.assign(random() % 400, 0);
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() % 4 == 0 ? random() : 1);
    }
    const CaptureScan scan = Scan(bytes);
    for (const CaptureEntry& e : scan.entries) {
      ASSERT_LE(e.offset + kCaptureEntryFixedSize + 2 * e.sweep.levels.size(), bytes.size());
      ASSERT_EQ(e.sweep.levels.size(), e.sweep.points);
      ASSERT_LE(e.comment.size(), kCaptureCommentSize);
    }
    ASSERT_LE(scan.entries_end, bytes.size());
  }
}

}  // namespace
}  // namespace qv
