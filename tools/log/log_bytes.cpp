#include "log/log_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv::logtool {
namespace {

std::string Reason(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// Closes the descriptor on every way out of Open.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

LogBytes::~LogBytes() {
  if (mapped_ != nullptr) ::munmap(const_cast<uint8_t*>(mapped_), mapped_size_);
}

bool LogBytes::Open(const std::string& path, std::string* error) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) {
    *error = Reason(path, errno);
    return false;
  }
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) {
    *error = Reason(path, errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    *error = Reason(path, EISDIR);
    return false;
  }
  if (S_ISREG(info.st_mode) && info.st_size > 0) {
    void* map = ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE,
                       file.fd, 0);
    if (map != MAP_FAILED) {
      mapped_ = static_cast<const uint8_t*>(map);
      mapped_size_ = static_cast<size_t>(info.st_size);
      return true;
    }
  }
  // Not mappable: read it whole.
  uint8_t chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(file.fd, chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      *error = Reason(path, errno);
      return false;
    }
    read_.insert(read_.end(), chunk, chunk + got);
  }
}

}  // namespace qv::logtool
