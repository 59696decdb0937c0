#pragma once

namespace support {

/// CPU time (user and system) used so far by this process, all threads, in
/// seconds. Unlike wall-clock time, a busy machine does not inflate it.
double ProcessCpuSeconds();

/// Resident memory of this process in bytes; 0 if it cannot be read.
long long ResidentBytes();

}  // namespace support
