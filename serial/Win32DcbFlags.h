#pragma once

#include <cstdint>

namespace comm {

/// The one-bit and two-bit fields of the Win32 DCB, as separate values. The
/// native record declares them as bit-fields, which can only be set one by
/// one; Dcb::Flags holds them packed in the native order.
struct DcbFlagFields {
  uint32_t fBinary = 0;
  uint32_t fParity = 0;
  uint32_t fOutxCtsFlow = 0;
  uint32_t fOutxDsrFlow = 0;
  uint32_t fDtrControl = 0;  ///< 0 disable, 1 enable, 2 handshake
  uint32_t fDsrSensitivity = 0;
  uint32_t fTXContinueOnXoff = 0;
  uint32_t fOutX = 0;
  uint32_t fInX = 0;
  uint32_t fErrorChar = 0;
  uint32_t fNull = 0;
  uint32_t fRtsControl = 0;  ///< 0 disable, 1 enable, 2 handshake, 3 toggle
  uint32_t fAbortOnError = 0;
};

/// Splits a packed Dcb::Flags word into its fields.
DcbFlagFields SplitDcbFlags(uint32_t flags);

}  // namespace comm
