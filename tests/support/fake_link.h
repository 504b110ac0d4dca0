#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/command.h"
#include "core/link/receiver_link.h"

namespace qv {

// A link that keeps every command it accepted. Set accept to false to make it behave like a
// link that is not open or timed out. Several fakes may share one journal to show the order in
// which links were tried.
class FakeLink : public ReceiverLink {
 public:
  explicit FakeLink(std::string name = "link", std::vector<std::string>* journal = nullptr)
      : name_(std::move(name)), journal_(journal) {}

  bool Send(const uint8_t* command, size_t length) override {
    ++attempts;
    const bool ok = accept && accept_limit != 0;
    if (journal_ != nullptr) journal_->push_back(name_ + (ok ? " sent" : " failed"));
    if (!ok) return false;
    if (accept_limit > 0) --accept_limit;
    sent.emplace_back(command, command + length);
    return true;
  }

  void Close() override {
    ++closes;
    if (journal_ != nullptr) journal_->push_back(name_ + " closed");
  }

  bool accept = true;
  int accept_limit = -1;  // accepts this many more commands, then fails; -1 for no limit
  int attempts = 0;
  int closes = 0;
  std::vector<Bytes> sent;

 private:
  std::string name_;
  std::vector<std::string>* journal_;
};

}  // namespace qv
