#pragma once

#include <cstdint>

// Kept apart from <termios.h>: the kernel's terminal records that these use
// cannot share a translation unit with the C library's.
namespace comm {

// Sets the input and output speed of terminal `fd` to `rate` bits per second
// through the kernel's arbitrary-rate interface. Returns false with errno set.
bool SetArbitraryRate(int fd, uint32_t rate);

// Reads back the output and input speed of terminal `fd` in bits per second,
// whichever way they were set. Returns false with errno set.
bool ReadLineRate(int fd, uint32_t& outputRate, uint32_t& inputRate);

}  // namespace comm
