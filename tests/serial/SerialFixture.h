#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/Serial5.h"
#include "tests/fixtures/FakeSerialPlatform.h"
#include "tests/serial/ManualPoster.h"

// A TSerial over the fake platform, with ports 1 and 2 present, a poster the
// test pumps, and message boxes collected instead of shown.
class SerialFixture : public ::testing::Test {
 protected:
  SerialFixture() {
    state->AddPort(1);
    state->AddPort(2);
    serial = std::make_unique<TSerial>(std::make_unique<comm::FakeSerialPlatform>(state), poster);
    serial->SetMessagePresenter([this](const std::string& text) { messages.push_back(text); });
  }

  void Open() {
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active());
  }

  std::shared_ptr<comm::FakeSerialState> state = std::make_shared<comm::FakeSerialState>();
  std::shared_ptr<comm::ManualPoster> poster = std::make_shared<comm::ManualPoster>();
  std::vector<std::string> messages;
  std::unique_ptr<TSerial> serial;
};
