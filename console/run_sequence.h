// The whole run, from the dialogue to the key wait, framed by the progress texts.
//
// The stages run once each, in a fixed order; the console shows every text
// before the next stage's work starts. The key wait is passed in, so that the
// sequence is the same with a real terminal and without one.
#pragma once

namespace corvalen {

using KeyWait = int (*)();

// Returns the process exit status: 0 when the run reached the key wait,
// 1 when a file could not be opened or the output could not be written.
int runCorvalen(KeyWait waitKey);

}  // namespace corvalen
