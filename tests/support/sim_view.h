#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "core/app/manual_clock.h"
#include "core/link/handshake.h"
#include "gui/app/form_view.h"
#include "gui/link/connection_sheet.h"
#include "support/recording_alerts.h"
#include "support/sim_link.h"

namespace qv {

// The real form view with the simulated Receiver behind the Internet page, in virtual time.
class SimViewTest {
 protected:
  virtual ~SimViewTest() { view_.reset(); }

  // Opens the link the way the sheet's Internet page does once its socket has connected.
  void Connect(sim::SimOptions options = {}) {
    link_ = std::make_unique<SimLink>(clock_, std::move(options), [this](const QByteArray& m) {
      view_->Display().OnReceiverMessage(m);
    });
    CConnectionEx& connection = view_->Connection();
    connection.Ops().SetLink(kInternetInterface, link_.get());
    connection.SelectInterface(kInternetInterface);
    QueueConnectStep(
        view_->Sequencer(), true, kInternetInterface,
        [](std::function<void(bool)> done) { done(true); },
        [this, &connection] {
          connection.State().connected = 1;
          QueueIdentityRequests(view_->Sequencer(), connection.Ops(), view_->Display().Handler());
        });
    Sample();
  }

  // Runs virtual time in 10 ms steps, sampling after each.
  void RunUntil(int64_t until_ms) {
    while (clock_.Now() < until_ms) {
      clock_.Advance(10);
      Sample();
    }
  }
  void RunFor(int64_t ms) { RunUntil(clock_.Now() + ms); }

  // Called after every step; tests note what they watch here.
  virtual void Sample() {}

  ManualClock clock_;
  RecordingAlerts alerts_;
  std::unique_ptr<CQuorvalinFormView> view_ = std::make_unique<CQuorvalinFormView>(clock_, alerts_);
  std::unique_ptr<SimLink> link_;
};

}  // namespace qv
