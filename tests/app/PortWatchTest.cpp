#include "app/PortWatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/Serial5.h"
#include "tests/support/FakeSerialPlatform.h"
#include "tests/support/ManualPoster.h"

namespace {

/// Records what the watch tells; a queued action runs when the test says so,
/// and the tick is the test's to give.
class RecordingHost : public app::PortWatchHost {
 public:
  void ShowPortNotice(app::Urgency, const std::string& text) override { notice = text; }
  void TellUser(const std::string& text) override { told.push_back(text); }
  void ShowPortTip(const std::string& text) override { tip = text; }
  void RunSoon(std::function<void()> action) override { queued.push_back(std::move(action)); }
  void SetTicking(bool on) override { ticking = on; }
  void PortReturned() override { ++returns; }

  void RunQueued() {
    auto actions = std::move(queued);
    queued.clear();
    for (auto& action : actions) action();
  }

  std::string notice, tip;
  std::vector<std::string> told;
  std::vector<std::function<void()>> queued;
  bool ticking = false;
  int returns = 0;
};

class PortWatchTest : public testing::Test {
 protected:
  PortWatchTest() {
    serial.SetNotifyErrors(neNone);
    serial.SetFailureObserver([this](int32_t code) { watch.Failed(code); });
  }

  /// Opens `port` at `baud` as a pick does.
  bool Pick(uint8_t port, int32_t baud = 115200) {
    const uint8_t awaited = watch.CloseForPick();
    serial.SetPort(port);
    serial.SetBaudrate(baud);
    serial.SetActive(true);
    return watch.NotePick(port, awaited);
  }
  int Opens() const { return ports->Snapshot().openCount; }

  std::shared_ptr<support::FakeSerialState> ports = std::make_shared<support::FakeSerialState>();
  TSerial serial{std::make_unique<support::FakeSerialPlatform>(ports), std::make_shared<support::ManualPoster>()};
  RecordingHost host;
  app::PortWatch watch{serial, host};
};

TEST_F(PortWatchTest, ListingAgainOpensNoDeviceAndTellsWhyAPortIsLeftOut) {
  ports->AddPort(1);
  ports->AddPort(2);
  ASSERT_TRUE(Pick(1));
  ports->AddPort(3);
  ports->AddPort(4, support::kFakeAccessDenied);
  ports->SetHolders(2, {{"cat", 4242}});
  const int opens = Opens();

  EXPECT_EQ(watch.Relist(), (std::vector<uint8_t>{1, 3}));
  EXPECT_EQ(Opens(), opens) << "neither the other ports nor the open one are opened";
  EXPECT_EQ(host.told, (std::vector<std::string>{"COM2 (COM2): in use by another program (cat, pid 4242)",
                                                 "COM4 (COM4): in use by another program"}));
  EXPECT_EQ(host.tip.substr(0, host.tip.find("\nCOM5")),
            "COM1: COM1, open at 115200 baud\nCOM2: COM2, in use by another program (cat, pid 4242)\n"
            "COM3: COM3, available\nCOM4: COM4, in use by another program");
}

TEST_F(PortWatchTest, SaysTheRateTheLineRunsAtWhenTheDriverRefusedTheOneAsked) {
  ports->AddPort(1);
  ports->SetDriverRate(38400);
  ASSERT_TRUE(Pick(1, 56000));
  EXPECT_EQ(host.notice, "COM1 (COM1) open at 38400 baud: the driver refused 56000 baud");
  EXPECT_EQ(host.told, std::vector<std::string>{host.notice});

  ports->SetDriverRate(0);
  host.told.clear();
  ASSERT_TRUE(Pick(1, 57600));
  EXPECT_EQ(host.notice, "COM1 (COM1) open at 57600 baud");
  EXPECT_TRUE(host.told.empty()) << "a port that opens as asked is only shown";
}

// A lost device is closed once the component's report has returned, then
// looked for at each tick and opened once, when it is back.
TEST_F(PortWatchTest, ALostDeviceIsOpenedOnceWhenItIsBack) {
  ports->AddPort(1);
  ASSERT_TRUE(Pick(1, 4800));
  ports->RemovePort(1);
  watch.Failed(support::kFakeNotReady);
  watch.Failed(support::kFakeNotReady);
  EXPECT_TRUE(serial.Active()) << "not closed from inside the component's report";
  ASSERT_EQ(host.queued.size(), 1u) << "one loss, however often told";
  host.RunQueued();
  EXPECT_FALSE(serial.Active());
  EXPECT_TRUE(host.ticking);
  EXPECT_EQ(host.notice, "COM1 (COM1): gone, waiting for it to return");

  const int opens = Opens();
  watch.Tick();
  watch.Tick();
  EXPECT_EQ(Opens(), opens) << "an absent device is not tried";
  ports->AddPort(1);
  ports->SetHolders(1, {{"modem-prober", 7}});
  watch.Tick();
  EXPECT_EQ(Opens(), opens) << "nor one that another program holds";
  ports->SetHolders(1, {});
  watch.Tick();
  EXPECT_EQ(Opens(), opens + 1);
  EXPECT_TRUE(serial.Active());
  EXPECT_EQ(ports->Snapshot().dcb.BaudRate, 4800u) << "with the lost port's settings";
  EXPECT_EQ(host.returns, 1);
  EXPECT_FALSE(host.ticking);
  EXPECT_EQ(host.told.back(), "COM1 (COM1) reconnected, open at 4800 baud");
}

TEST_F(PortWatchTest, APickEndsTheWaitUnlessItPicksTheAwaitedPortAgain) {
  ports->AddPort(1);
  ports->AddPort(2);
  ASSERT_TRUE(Pick(1));
  ports->RemovePort(1);
  watch.Failed(support::kFakeNotReady);
  host.RunQueued();
  ASSERT_TRUE(watch.Awaiting());

  EXPECT_FALSE(Pick(1, 9600)) << "still absent";
  EXPECT_TRUE(watch.Awaiting()) << "another baud rate for the lost port keeps the wait";
  ASSERT_TRUE(Pick(2));
  EXPECT_FALSE(watch.Awaiting());
  EXPECT_FALSE(host.ticking);

  // The close for the next pick runs into the old port's loss: the picked
  // port stays open.
  ports->AddPort(1);
  ports->FailNext("PurgeComm", support::kFakeNotReady);
  ASSERT_TRUE(Pick(1));
  host.RunQueued();
  EXPECT_TRUE(serial.Active());
  EXPECT_EQ(serial.Port(), 1);
}

}  // namespace
