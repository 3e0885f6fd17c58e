/* Prints a few lines to the Dravik viewer from C99. Exit code 0 when they arrived, 2 when no viewer runs,
   3 when it did not answer, 4 on any other failure. */
#include "dravik/client.h"

static int exit_code(int status) {
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

int main(void) {
    int log_connect = 0;
    int status = DRAVIK_OK;
    int i;

    /* The viewer only stores this option; announcing ourselves is the client's business. */
    if (dravik_log_connect(&log_connect) == DRAVIK_OK && log_connect)
        status = dravik_printf("example-c: process %lu connected", (unsigned long)GetCurrentProcessId());
    if (status == DRAVIK_OK)
        status = dravik_print("example-c: hello from C");
    for (i = 1; i <= 3 && status == DRAVIK_OK; ++i)
        status = dravik_printf("example-c: line %d of %d", i, 3);
    /* Wide text arrives in the system's code page. */
    if (status == DRAVIK_OK)
        status = dravik_wprintf(L"example-c: wide text, %ls", L"caf\u00e9");

    if (status != DRAVIK_OK)
        fprintf(stderr, "example-c: %s\n", dravik_strerror(status));
    return exit_code(status);
}
