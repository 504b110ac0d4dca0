#include "core/record/log_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv {
namespace {

constexpr char kWriteFailed[] = "Writing the log failed: ";

class FileSink : public RecordSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  ~FileSink() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Write(const uint8_t* bytes, size_t length) override {
    if (fd_ < 0) return Fail(EBADF);
    while (length > 0) {
      const ssize_t written = ::write(fd_, bytes, length);
      if (written < 0) {
        if (errno == EINTR) continue;
        return Fail(errno);
      }
      // A write that takes nothing will not take more on the next try.
      if (written == 0) return Fail(ENOSPC);
      bytes += written;
      length -= static_cast<size_t>(written);
    }
    return true;
  }

  bool Sync() override {
    if (fd_ < 0) return Fail(EBADF);
    return ::fsync(fd_) == 0 || Fail(errno);
  }

  bool Close() override {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    // Linux frees the descriptor even when close reports an error, so it is never retried.
    return result == 0 || errno == EINTR || Fail(errno);
  }

  std::string Error() const override { return error_; }

 private:
  bool Fail(int error) {
    error_ = std::strerror(error);
    return false;
  }

  int fd_;
  std::string error_;
};

}  // namespace

std::unique_ptr<RecordSink> CreateFileSink(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error != nullptr) *error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<FileSink>(fd);
}

bool SpectrumLogWriter::Start(std::unique_ptr<RecordSink> sink, const ReceiverIdentity& identity,
                              const LogClock& clock, const LogMarkers& markers) {
  // A log still open gets its end record before the next one begins.
  if (Logging()) Finish();
  error_.clear();
  bytes_ = 0;
  seconds_ = 0;
  minutes_ = 0;
  log_size_ = 0;
  if (sink == nullptr) {
    error_ = "No log file to write to";
    return false;
  }
  sink_ = std::move(sink);
  if (!Put(BuildHeaderRecord(identity, clock, markers))) return false;
  log_size_ = bytes_;
  return true;
}

bool SpectrumLogWriter::WriteMessage(const uint8_t* message, size_t length) {
  if (!Logging()) return false;
  const Bytes record = BuildMessageRecord(message, length);
  // Nothing to store (empty) or no length field can hold it: the log goes on without it.
  if (record.empty()) return true;
  if (!Put(record)) return false;
  ++records_written_;
  return true;
}

bool SpectrumLogWriter::WriteTime(const LogClock& clock, const LogMarkers& markers) {
  if (!Logging() || !Put(BuildTimeRecord(clock, markers))) return false;
  if (++seconds_ == 60) {
    ++minutes_;
    seconds_ = 0;
  }
  log_size_ = bytes_;
  ++records_written_;
  // Once a second to the disk, so a power cut loses about a second at most.
  if (!sink_->Sync()) return Stop(kWriteFailed + sink_->Error());
  return true;
}

bool SpectrumLogWriter::Finish() {
  if (!Logging()) return true;
  if (!Put(BuildEndRecord(records_written_, minutes_))) return false;
  if (!sink_->Sync()) return Stop(kWriteFailed + sink_->Error());
  const bool closed = sink_->Close();
  if (!closed) error_ = "Closing the log failed: " + sink_->Error();
  sink_.reset();
  return closed;
}

bool SpectrumLogWriter::Put(const Bytes& record) {
  if (!Logging()) return false;
  if (!sink_->Write(record.data(), record.size())) return Stop(kWriteFailed + sink_->Error());
  bytes_ += record.size();
  return true;
}

bool SpectrumLogWriter::Stop(const std::string& error) {
  error_ = error;
  sink_->Close();
  sink_.reset();
  return false;
}

}  // namespace qv
