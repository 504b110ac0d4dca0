#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/record/log_format.h"

namespace qv {

// An instant-capture file: entries of 161 + 2N bytes, then a 5-byte trailer (0, entry count)
// that every new capture overwrites. A new file is empty.
inline constexpr uint8_t kCaptureEntryMarker = 1;
inline constexpr size_t kCaptureEntryFixedSize = 161;
inline constexpr size_t kCaptureCommentOffset = 11;  // the 32-bit length, then the 128-byte area
inline constexpr size_t kCaptureCommentSize = 128;
inline constexpr size_t kCaptureSweepOffset = 143;  // the 18-byte sweep block
inline constexpr size_t kCaptureSweepBlockSize = 18;
inline constexpr size_t kCaptureTrailerSize = 5;
inline constexpr uint32_t kCaptureMaxPoints = 15000;
inline constexpr char kNoCommentsText[] = "No Comments";

// The sweep a capture keeps: the graph's current sweep, levels in whole dBm.
struct CaptureSweep {
  uint8_t type = 6;  // 6 spectrum sweep, 10 power-trigger sweep
  uint32_t start = 0;
  uint32_t points = 0;  // N; levels.size() == points
  uint16_t rbw_code = 0;
  int16_t reference_level = 0;
  uint8_t status = 0;
  float power = 0;  // dBm
  std::vector<int16_t> levels;

  friend bool operator==(const CaptureSweep&, const CaptureSweep&) = default;
};

struct CaptureEntry {
  uint64_t offset = 0;  // of the entry marker in the file
  uint32_t number = 0;
  LogClock clock;
  std::string comment;
  CaptureSweep sweep;
  // The 18-byte sweep block as stored (LoadLoggedSweep reads it).
  std::array<uint8_t, kCaptureSweepBlockSize> block{};
};

// At most 128 bytes, never splitting a UTF-8 character.
std::string CutCaptureComment(const std::string& comment);

// One entry, byte for byte (the comment cut as above, the rest of its area zero). N is written
// as levels.size(), so the entry always holds as many levels as it claims.
Bytes BuildCaptureEntry(uint32_t number, const LogClock& clock, const std::string& comment,
                        const CaptureSweep& sweep);
Bytes BuildCaptureTrailer(uint32_t count);

struct CaptureScan {
  std::vector<CaptureEntry> entries;  // those that read whole, in file order
  bool has_trailer = false;           // also for a damaged file whose last 5 bytes start with 0
  uint32_t trailer_count = 0;
  // Where the entries that read whole end: the next capture goes here.
  uint64_t entries_end = 0;
  // The bytes stop inside an entry or the trailer, or no trailer follows the entries (a write
  // that was cut short): nothing after `entries_end` can be read.
  bool torn = false;
  // Empty for a sound file; otherwise what is wrong and where, in one sentence (a marker byte
  // that is not 1, a trailer count that disagrees, N over 15000, a comment length over 128, a
  // file that ends inside an entry, bytes that are neither an entry nor the trailer).
  std::string problem;
};

// Reads every entry of a whole capture file held in memory. Never reads past `size`.
CaptureScan ScanCaptureFile(const uint8_t* data, size_t size);

// Whether a file is taken as a capture file rather than a spectrum log: by its first byte (1 an
// entry marker, 0xBA a log's header), else by its name ending in ".icf". `first` is null for an
// empty file. The second form reads the byte itself; a file it cannot read goes by its name.
bool IsCaptureFile(const std::string& path, const uint8_t* first);
bool IsCaptureFile(const std::string& path);

// The file operations the program uses; each opens and closes the file. Errors name the file and
// the reason. Nothing already in a file is lost by a failed call.
class CaptureFile {
 public:
  // Creates `path` empty (an existing file is truncated).
  static bool Create(const std::string& path, std::string* error);
  // Appends a capture, numbered after the entries already in the file, and moves the trailer
  // behind it; the number given is returned in `number`. A torn end or a wrong trailer is
  // written over; a file damaged before its end is refused, as the capture would overwrite what
  // follows the damage. N = sweep.levels.size(), at most 15000.
  static bool Append(const std::string& path, const LogClock& clock, const CaptureSweep& sweep,
                     uint32_t* number, std::string* error,
                     const std::string& comment = kNoCommentsText);
  // Reads the whole file (a missing or unreadable file is an error; damage is in scan->problem).
  // The error then reads "<file name> file could not be opened. \n Please Check the File.",
  // a line feed, and "<path>: <reason>".
  static bool Read(const std::string& path, CaptureScan* scan, std::string* error);
  // Replaces capture `number`'s comment (cut as above), at the entry's position in the file as
  // it is now.
  static bool WriteComment(const std::string& path, uint32_t number, const std::string& comment,
                           std::string* error);
};

}  // namespace qv
