#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::logtool {

// A whole log file in memory: mapped when it is a regular file, read otherwise (a pipe, an
// empty file). Read-only, released with the object.
class LogBytes {
 public:
  LogBytes() = default;
  LogBytes(const LogBytes&) = delete;
  LogBytes& operator=(const LogBytes&) = delete;
  ~LogBytes();

  // False with the path and the system's reason in `error`.
  bool Open(const std::string& path, std::string* error);

  const uint8_t* data() const { return mapped_ != nullptr ? mapped_ : read_.data(); }
  size_t size() const { return mapped_ != nullptr ? mapped_size_ : read_.size(); }

 private:
  const uint8_t* mapped_ = nullptr;
  size_t mapped_size_ = 0;
  std::vector<uint8_t> read_;
};

}  // namespace qv::logtool
