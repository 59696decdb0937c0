#pragma once

#include <cstdint>

/// Settings and modes of the serial component, with their fixed ordinals.
enum eParity : uint8_t { paNone, PaOdd, paEven, paMark, paSpace };
enum eDataBits : uint8_t { d7bit, d8bit };
enum eStopBits : uint8_t { st1bit, st2bit };
enum eFlowControl : uint8_t { fcNone, fcRTS_CTS, fcDTR_DSR, fcXON_XOF };
enum eOpModes : uint8_t { rxNormal, rxMessage };
enum eNotifyErr : uint8_t { neDialog, neEvent, neNone };
enum eModemInSignal : uint8_t { msCTS, msDSR, msRLSD };
