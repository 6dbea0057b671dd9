// The two builds of the serial classes from one source. The library Sindle
// defines SINDLE_THROWS: a failing port call throws CSerialException. The
// main program compiles the same files without it: nothing is thrown, the
// calls return 0 and keep the last error. Each build lives in its own inline
// namespace, so that a program holding both never mixes them up.
#pragma once

#define SINDLE_API __attribute__((visibility("default")))

#ifdef SINDLE_THROWS
#define SINDLE_SERIAL_BUILD sindle_throwing
#else
#define SINDLE_SERIAL_BUILD returning_zero
#endif

inline namespace SINDLE_SERIAL_BUILD {
#ifdef SINDLE_THROWS
constexpr bool kSerialThrows = true;
constexpr unsigned kSerialReadBufferSize = 256;
#else
constexpr bool kSerialThrows = false;
constexpr unsigned kSerialReadBufferSize = 2048;
#endif
} // namespace SINDLE_SERIAL_BUILD
