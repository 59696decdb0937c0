#include "bench/SyscallCounter.h"

#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

/// Id of the raw syscall-entry tracepoint, or -1 when tracefs cannot be read.
long SyscallEntryTracepoint() {
  for (const char* root : {"/sys/kernel/tracing", "/sys/kernel/debug/tracing"}) {
    std::ifstream idFile(std::string(root) + "/events/raw_syscalls/sys_enter/id");
    long id = -1;
    if (idFile >> id) return id;
  }
  return -1;
}

int OpenTracepointCounter(long id) {
  perf_event_attr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.type = PERF_TYPE_TRACEPOINT;
  attr.size = sizeof attr;
  attr.config = static_cast<uint64_t>(id);
  attr.disabled = 1;
  // pid 0, cpu -1: this thread only, on whichever CPU it runs.
  return static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
}

}  // namespace

SyscallCounter::SyscallCounter() {
  const long id = SyscallEntryTracepoint();
  if (id >= 0) m_fd = OpenTracepointCounter(id);
  if (m_fd < 0) {
    uint64_t calls = 0;
    m_ioUsable = ReadIoCalls(calls);
  }
  // Stopping the counter is itself a call that gets counted: measure it once.
  Start();
  Stop();
  m_overheadPerPair = m_count;
  m_count = 0;
  m_pairs = 0;
  if (m_fd >= 0) ioctl(m_fd, PERF_EVENT_IOC_RESET, 0);
}

SyscallCounter::~SyscallCounter() {
  if (m_fd >= 0) close(m_fd);
}

void SyscallCounter::Start() {
  if (m_fd >= 0) {
    ioctl(m_fd, PERF_EVENT_IOC_ENABLE, 0);
    return;
  }
  if (m_ioUsable) ReadIoCalls(m_ioAtStart);
}

void SyscallCounter::Stop() {
  ++m_pairs;
  if (m_fd >= 0) {
    ioctl(m_fd, PERF_EVENT_IOC_DISABLE, 0);
    uint64_t value = 0;
    if (read(m_fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) m_count = value;
    return;
  }
  uint64_t now = 0;
  if (m_ioUsable && ReadIoCalls(now)) m_count += now - m_ioAtStart;
}

uint64_t SyscallCounter::Count() const {
  const uint64_t overhead = m_pairs * m_overheadPerPair;
  return m_count > overhead ? m_count - overhead : 0;
}

std::string SyscallCounter::Method() const { return m_fd >= 0 ? "system calls" : "read/write calls"; }

bool SyscallCounter::ReadIoCalls(uint64_t& calls) {
  std::ifstream io("/proc/thread-self/io");
  std::string key;
  uint64_t value = 0;
  uint64_t total = 0;
  int found = 0;
  while (io >> key >> value) {
    if (key == "syscr:" || key == "syscw:") {
      total += value;
      ++found;
    }
  }
  if (found != 2) return false;
  calls = total;
  return true;
}

}  // namespace bench
