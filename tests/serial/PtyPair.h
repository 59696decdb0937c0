#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <string>

// A pseudo-terminal pair for tests: the slave stands for the serial device,
// the master for the board at the other end of the line.
class PtyPair : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128] = {};
    ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0) << "openpty failed";
    m_slaveName = name;
  }

  void TearDown() override {
    CloseMaster();
    if (m_slave >= 0) ::close(m_slave);
    m_slave = -1;
  }

  // Sends bytes from the board's side.
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Hangs up the line, as when a USB adapter is unplugged.
  void CloseMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
  }

  int m_master = -1;
  int m_slave = -1;
  std::string m_slaveName;
};
