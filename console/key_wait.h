// Waits for one key press on the controlling terminal.
//
// Reads the terminal itself (/dev/tty), not standard input: whatever the
// dialogue already buffered from standard input does not count, while keys
// typed during the calculation do. The terminal is put in raw mode without
// flushing its pending input, the whole byte sequence of one key is consumed,
// and the saved settings are restored on every way out, signals included.
#pragma once

namespace corvalen {

// Returns the first byte of the key (0..255), or -1 at once when there is no
// terminal to read.
int waitForKey();

}  // namespace corvalen
