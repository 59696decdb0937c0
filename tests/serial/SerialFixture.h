#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/Serial5.h"
#include "tests/support/FakeSerialPlatform.h"
#include "tests/support/ManualPoster.h"

/// A TSerial over the fake platform with ports 1 and 2 present, a poster the
/// test pumps, and message boxes collected instead of shown.
class SerialFixture : public ::testing::Test {
 protected:
  SerialFixture() {
    state->AddPort(1);
    state->AddPort(2);
    Recreate();
  }

  /// A fresh component with default settings on the same ports.
  void Recreate() {
    serial = std::make_unique<TSerial>(std::make_unique<support::FakeSerialPlatform>(state), poster);
    serial->SetMessagePresenter([this](const std::string& text) { messages.push_back(text); });
  }

  /// Opens the port and waits until the event thread waits on it.
  void Open() {
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active());
    ASSERT_TRUE(state->WaitForWaiter(support::kPatience)) << "the event thread never waited";
  }

  std::shared_ptr<support::FakeSerialState> state = std::make_shared<support::FakeSerialState>();
  std::shared_ptr<support::ManualPoster> poster = std::make_shared<support::ManualPoster>();
  std::vector<std::string> messages;
  std::unique_ptr<TSerial> serial;
};
