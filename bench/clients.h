#pragma once

#include <string>

namespace bench {

// Starts `count` copies of this program as clients, lets them print `linesEach` lines at once and returns
// the lines per second of all of them together, counted from the common start to the last line answered;
// a negative value and a reason in `problem` when a client failed.
double RunClients(int count, long linesEach, std::string& problem);

// The client side: `dravik-bench --client TAG INDEX LINES`. Returns the process exit code.
int ClientMain(const std::string& tag, int index, long lines);

} // namespace bench
