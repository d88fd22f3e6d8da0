// Runs the key wait alone: prints "ready", waits for a key and prints "key N".
//
// The pseudo-terminal tests drive this instead of the whole program, so that a
// fault in the wait is not mixed up with the dialogue. "ready" is printed
// before the wait so that a test can tell the program has started.
#include <cstdio>

#include "console/key_wait.h"

int main() {
    std::printf("ready\n");
    std::fflush(stdout);
    const int key = corvalen::waitForKey();
    std::printf("key %d\n", key);
    std::fflush(stdout);
    return 0;
}
