#include "serial/Win32DcbFlags.h"

namespace comm {
namespace {

struct FieldPlace {
  uint32_t DcbFlagFields::*field;
  unsigned shift;
  uint32_t width;  // mask of the field's value
};

// The native bit-field order: fBinary is bit 0, fAbortOnError bit 14.
constexpr FieldPlace kPlaces[] = {
    {&DcbFlagFields::fBinary, 0, 1},         {&DcbFlagFields::fParity, 1, 1},
    {&DcbFlagFields::fOutxCtsFlow, 2, 1},    {&DcbFlagFields::fOutxDsrFlow, 3, 1},
    {&DcbFlagFields::fDtrControl, 4, 3},     {&DcbFlagFields::fDsrSensitivity, 6, 1},
    {&DcbFlagFields::fTXContinueOnXoff, 7, 1}, {&DcbFlagFields::fOutX, 8, 1},
    {&DcbFlagFields::fInX, 9, 1},            {&DcbFlagFields::fErrorChar, 10, 1},
    {&DcbFlagFields::fNull, 11, 1},          {&DcbFlagFields::fRtsControl, 12, 3},
    {&DcbFlagFields::fAbortOnError, 14, 1},
};

}  // namespace

DcbFlagFields SplitDcbFlags(uint32_t flags) {
  DcbFlagFields fields;
  for (const FieldPlace& place : kPlaces) fields.*place.field = (flags >> place.shift) & place.width;
  return fields;
}

}  // namespace comm
