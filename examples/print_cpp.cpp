// Prints a few lines to the Dravik viewer from C++11. Exit code 0 when they arrived, 2 when no viewer runs,
// 3 when it did not answer, 4 on any other failure.
#include "dravik/client.h"

#include <cstdio>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The header speaks C strings; a small overload keeps std::string call sites tidy.
int Print(const std::string& line) {
    return dravik_print(line.c_str());
}

int ExitCode(int status) {
    switch (status) {
    case DRAVIK_OK:
        return 0;
    case DRAVIK_NO_VIEWER:
        return 2;
    case DRAVIK_TIMEOUT:
        return 3;
    default:
        return 4;
    }
}

} // namespace

int main() {
    const std::vector<int> samples = {3, 1, 4, 1, 5, 9, 2, 6};

    int status = Print("example-cpp: hello from C++");
    if (status == DRAVIK_OK) {
        std::ostringstream line;
        line << "example-cpp: " << samples.size() << " samples, sum "
             << std::accumulate(samples.begin(), samples.end(), 0);
        status = Print(line.str());
    }
    if (status == DRAVIK_OK)
        status = dravik_printf("example-cpp: first %d, last %d", samples.front(), samples.back());
    if (status == DRAVIK_OK)
        status = dravik_wprint(L"example-cpp: wide text, na\u00efve");

    if (status != DRAVIK_OK)
        std::fprintf(stderr, "example-cpp: %s\n", dravik_strerror(status));
    return ExitCode(status);
}
