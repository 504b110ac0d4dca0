#include "core/record/capture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "core/link/little_endian.h"

namespace qv {
namespace {

constexpr size_t kNumberAt = 1;
constexpr size_t kClockAt = 5;
constexpr size_t kPointsAt = kCaptureSweepOffset + 5;

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

std::string At(uint64_t offset) {
  return " at byte " + std::to_string(offset);
}

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Close reports late write errors (NFS, a full disk); Linux frees the descriptor either way.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR;
  }

 private:
  int fd_;
};

bool ReadAll(int fd, Bytes* out) {
  out->clear();
  uint8_t chunk[1 << 16];
  for (uint64_t at = 0;;) {
    const ssize_t got = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(at));
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out->insert(out->end(), chunk, chunk + got);
    at += static_cast<uint64_t>(got);
  }
}

// Opens `path` and reads it whole: the descriptor, or -1 with errno set.
int OpenAndRead(const std::string& path, int flags, Bytes* bytes) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return -1;
  if (ReadAll(fd, bytes)) return fd;
  const int error = errno;
  ::close(fd);
  errno = error;
  return -1;
}

// Opens `path` for writing, reads and scans it: the descriptor, or -1 with the reason in
// `message`.
int OpenScanned(const std::string& path, CaptureScan* scan, uint64_t* size, std::string* message) {
  Bytes bytes;
  const int fd = OpenAndRead(path, O_RDWR, &bytes);
  if (fd < 0) {
    *message = Reason(path, errno);
    return -1;
  }
  *scan = ScanCaptureFile(bytes.data(), bytes.size());
  *size = bytes.size();
  return fd;
}

bool WriteAllAt(int fd, const uint8_t* bytes, size_t length, uint64_t at) {
  while (length > 0) {
    const ssize_t written = ::pwrite(fd, bytes, length, static_cast<off_t>(at));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += written;
    length -= static_cast<size_t>(written);
    at += static_cast<uint64_t>(written);
  }
  return true;
}

// The length field and the 128-byte area of a comment, cut to fit, the rest zero.
Bytes CommentField(const std::string& comment) {
  const std::string text = CutCaptureComment(comment);
  Bytes out;
  out.reserve(4 + kCaptureCommentSize);
  PutU32(out, static_cast<uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
  out.resize(4 + kCaptureCommentSize, 0);
  return out;
}

CaptureEntry ParseEntry(const uint8_t* p, uint64_t offset) {
  CaptureEntry entry;
  entry.offset = offset;
  entry.number = GetU32(p + kNumberAt);
  const uint8_t* c = p + kClockAt;
  entry.clock = LogClock{c[0], c[1], c[2], c[3], c[4], c[5]};
  const uint32_t comment_length = GetU32(p + kCaptureCommentOffset);
  const uint8_t* text = p + kCaptureCommentOffset + 4;
  entry.comment.assign(text, text + comment_length);
  const uint8_t* b = p + kCaptureSweepOffset;
  std::copy(b, b + kCaptureSweepBlockSize, entry.block.begin());
  CaptureSweep& s = entry.sweep;
  s.type = b[0];
  s.start = GetU32(b + 1);
  s.points = GetU32(b + 5);
  s.rbw_code = GetU16(b + 9);
  s.reference_level = static_cast<int16_t>(GetU16(b + 11));
  s.status = b[13];
  s.power = std::bit_cast<float>(GetU32(b + 14));
  s.levels.resize(s.points);
  const uint8_t* levels = p + kCaptureEntryFixedSize;
  for (uint32_t i = 0; i < s.points; ++i)
    s.levels[i] = static_cast<int16_t>(GetU16(levels + 2 * i));
  return entry;
}

std::string EntryProblem(size_t index, uint64_t offset, const std::string& what) {
  return "Capture entry " + std::to_string(index + 1) + At(offset) + " is damaged: " + what + ".";
}

}  // namespace

std::string CutCaptureComment(const std::string& comment) {
  if (comment.size() <= kCaptureCommentSize) return comment;
  size_t cut = kCaptureCommentSize;
  // A continuation byte at the cut belongs to a character begun before it: leave that one out.
  while (cut > 0 && (static_cast<uint8_t>(comment[cut]) & 0xC0) == 0x80) --cut;
  return comment.substr(0, cut);
}

Bytes BuildCaptureEntry(uint32_t number, const LogClock& clock, const std::string& comment,
                        const CaptureSweep& sweep) {
  // The levels decide N, so an entry is always as long as its own point count says.
  const uint32_t points = static_cast<uint32_t>(sweep.levels.size());
  Bytes out;
  out.reserve(kCaptureEntryFixedSize + 2 * size_t{points});
  out.push_back(kCaptureEntryMarker);
  PutU32(out, number);
  out.insert(out.end(),
             {clock.month, clock.day, clock.year, clock.hour, clock.minute, clock.second});
  const Bytes field = CommentField(comment);
  out.insert(out.end(), field.begin(), field.end());
  out.push_back(sweep.type);
  PutU32(out, sweep.start);
  PutU32(out, points);
  PutU16(out, sweep.rbw_code);
  PutU16(out, static_cast<uint16_t>(sweep.reference_level));
  out.push_back(sweep.status);
  PutU32(out, std::bit_cast<uint32_t>(sweep.power));
  for (const int16_t level : sweep.levels) PutU16(out, static_cast<uint16_t>(level));
  return out;
}

Bytes BuildCaptureTrailer(uint32_t count) {
  Bytes out{0};
  PutU32(out, count);
  return out;
}

CaptureScan ScanCaptureFile(const uint8_t* data, size_t size) {
  CaptureScan scan;
  if (data == nullptr) size = 0;
  uint64_t offset = 0;
  while (offset < size) {
    const size_t left = size - offset;
    const uint8_t* p = data + offset;
    const size_t index = scan.entries.size();
    if (p[0] == 0) {
      if (left == kCaptureTrailerSize) {
        scan.has_trailer = true;
        scan.trailer_count = GetU32(p + 1);
        if (scan.trailer_count != index) {
          scan.problem = "The trailer" + At(offset) + " counts " +
                         std::to_string(scan.trailer_count) + " captures, but the file holds " +
                         std::to_string(index) + ".";
        }
      } else if (left < kCaptureTrailerSize) {
        scan.torn = true;
        scan.problem = "The file ends inside its trailer" + At(offset) + ".";
      } else {
        scan.problem = "The " + std::to_string(left) + " bytes" + At(offset) +
                       " are neither a capture entry nor the trailer.";
      }
      break;
    }
    if (p[0] != kCaptureEntryMarker) {
      scan.problem =
          EntryProblem(index, offset, "its marker byte is " + std::to_string(p[0]) + ", not 1");
      break;
    }
    if (left < kCaptureEntryFixedSize) {
      scan.torn = true;
      scan.problem = EntryProblem(index, offset, "the file ends inside it");
      break;
    }
    const uint32_t comment_length = GetU32(p + kCaptureCommentOffset);
    if (comment_length > kCaptureCommentSize) {
      scan.problem = EntryProblem(
          index, offset, "its comment length is " + std::to_string(comment_length) + ", over 128");
      break;
    }
    const uint32_t points = GetU32(p + kPointsAt);
    if (points > kCaptureMaxPoints) {
      scan.problem = EntryProblem(index, offset,
                                  "its point count is " + std::to_string(points) + ", over 15000");
      break;
    }
    const size_t length = kCaptureEntryFixedSize + 2 * size_t{points};
    if (left < length) {
      scan.torn = true;
      scan.problem = EntryProblem(index, offset, "the file ends inside it");
      break;
    }
    scan.entries.push_back(ParseEntry(p, offset));
    offset += length;
    scan.entries_end = offset;
  }
  if (offset == size && size > 0 && !scan.has_trailer) {
    scan.torn = true;
    scan.problem = "The file ends after capture entry " + std::to_string(scan.entries.size()) +
                   " without its trailer.";
  }
  // A damaged file may still end in a trailer; what it counts helps judge the damage.
  if (!scan.has_trailer && size - scan.entries_end >= kCaptureTrailerSize &&
      data[size - kCaptureTrailerSize] == 0) {
    scan.has_trailer = true;
    scan.trailer_count = GetU32(data + size - 4);
  }
  return scan;
}

bool IsCaptureFile(const std::string& path, const uint8_t* first) {
  if (first != nullptr && *first == kCaptureEntryMarker) return true;
  if (first != nullptr && *first == kLogHeaderType) return false;
  return EndsWithNoCase(path, ".icf");
}

bool IsCaptureFile(const std::string& path) {
  uint8_t first = 0;
  // Not blocking: a FIFO under a recent file's name must not hang the program.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  const bool got = fd.get() >= 0 && ::pread(fd.get(), &first, 1, 0) == 1;
  return IsCaptureFile(path, got ? &first : nullptr);
}

bool CaptureFile::Create(const std::string& path, std::string* error) {
  Descriptor file(::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644));
  if (file.get() < 0 || ::fsync(file.get()) != 0 || !file.Close()) {
    if (error != nullptr) *error = Reason(path, errno);
    return false;
  }
  return true;
}

bool CaptureFile::Append(const std::string& path, const LogClock& clock, const CaptureSweep& sweep,
                         uint32_t* number, std::string* error, const std::string& comment) {
  std::string ignored;
  std::string& message = error != nullptr ? *error : ignored;
  if (sweep.levels.size() > kCaptureMaxPoints) {
    message = path + ": a sweep of " + std::to_string(sweep.levels.size()) +
              " points is too long for a capture (at most 15000).";
    return false;
  }
  // Where the entries end, found by reading them: a trailer alone could point into an entry.
  CaptureScan scan;
  uint64_t size = 0;
  Descriptor file(OpenScanned(path, &scan, &size, &message));
  if (file.get() < 0) return false;
  const bool tail_only =
      scan.problem.empty() || scan.torn || scan.entries_end + kCaptureTrailerSize == size;
  if (!tail_only) {
    // Writing at the damage would destroy whatever follows it.
    message =
        path + ": no capture was added, so as to keep what follows the damage. " + scan.problem;
    return false;
  }
  const uint32_t count = static_cast<uint32_t>(scan.entries.size());
  const uint32_t next = count == 0 ? 0 : scan.entries.back().number + 1;
  Bytes out = BuildCaptureEntry(next, clock, comment, sweep);
  const Bytes trailer = BuildCaptureTrailer(count + 1);
  out.insert(out.end(), trailer.begin(), trailer.end());
  const uint64_t end = scan.entries_end + out.size();
  if (!WriteAllAt(file.get(), out.data(), out.size(), scan.entries_end) ||
      (size > end && ::ftruncate(file.get(), static_cast<off_t>(end)) != 0) ||
      ::fsync(file.get()) != 0) {
    message = Reason(path, errno);
    // Put the old count back behind the old entries, so the file reads as it did.
    const Bytes old = BuildCaptureTrailer(count);
    if (WriteAllAt(file.get(), old.data(), old.size(), scan.entries_end)) {
      if (::ftruncate(file.get(), static_cast<off_t>(scan.entries_end + old.size())) == 0)
        ::fsync(file.get());
    }
    return false;
  }
  if (!file.Close()) {
    message = Reason(path, errno);
    return false;
  }
  if (number != nullptr) *number = next;
  return true;
}

bool CaptureFile::Read(const std::string& path, CaptureScan* scan, std::string* error) {
  Bytes bytes;
  Descriptor file(OpenAndRead(path, O_RDONLY, &bytes));
  if (file.get() < 0) {
    if (error != nullptr) {
      *error = FileName(path) + " file could not be opened. \n Please Check the File.\n" +
               Reason(path, errno);
    }
    return false;
  }
  *scan = ScanCaptureFile(bytes.data(), bytes.size());
  return true;
}

bool CaptureFile::WriteComment(const std::string& path, uint32_t number, const std::string& comment,
                               std::string* error) {
  std::string ignored;
  std::string& message = error != nullptr ? *error : ignored;
  // The position comes from the file as it is now, whatever was captured since it was listed.
  CaptureScan scan;
  uint64_t size = 0;
  Descriptor file(OpenScanned(path, &scan, &size, &message));
  if (file.get() < 0) return false;
  const auto entry = std::find_if(scan.entries.begin(), scan.entries.end(),
                                  [number](const CaptureEntry& e) { return e.number == number; });
  if (entry == scan.entries.end()) {
    message = path + ": there is no capture " + std::to_string(uint64_t{number} + 1) +
              " in the file to comment on." + (scan.problem.empty() ? "" : " " + scan.problem);
    return false;
  }
  const Bytes field = CommentField(comment);
  if (!WriteAllAt(file.get(), field.data(), field.size(), entry->offset + kCaptureCommentOffset) ||
      ::fsync(file.get()) != 0 || !file.Close()) {
    message = Reason(path, errno);
    return false;
  }
  return true;
}

}  // namespace qv
