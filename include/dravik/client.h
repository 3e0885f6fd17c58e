/*
 * Korvane Dravik client: print to the Dravik viewer from a program under test.
 *
 *   #include "dravik/client.h"              (link kernel32, user32, advapi32)
 *   dravik_printf("x = %d", x);             (one line in the viewer; returns DRAVIK_OK or an error code)
 *   if (dravik_print("done") == DRAVIK_NO_VIEWER) { ... no viewer is running, nothing was sent ... }
 *
 * Plain C99 or C++11 and later, 32- or 64-bit Windows, any number of translation units (everything here is
 * static inline). Every call is thread-safe and independent: it finds the viewer's window again, opens the
 * shared region, takes the clients' mutex, sends, and releases everything before it returns, so a viewer
 * that is closed and started again between two calls is found again.
 *
 * What a caller can rely on:
 * - No call waits longer than about the timeout (2000 ms unless dravik_set_timeout says otherwise): with no
 *   viewer it returns DRAVIK_NO_VIEWER at once; a viewer that does not answer gives DRAVIK_TIMEOUT.
 * - Text is 8-bit, passed on unchanged. A text longer than the region holds (4094 characters) is cut into
 *   pieces of at most that length, each printed as a line of its own; other clients' lines never land
 *   between those pieces. A file name that does not fit is refused with DRAVIK_ERROR, never cut.
 * - All clients (every thread and process using this header, and dravik-send) take the same named mutex
 *   around filling the region and sending, so two clients never overwrite each other's text.
 * - A short print allocates nothing; dravik_printf allocates only when its result exceeds 4094 characters.
 *
 * Known limit: when a call times out, the command stays queued at a hung viewer; if that viewer recovers it
 * still carries it out, with whatever text the region holds by then.
 */
#pragma once

#include "protocol.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    DRAVIK_OK = 0,
    /* No window "Korvane Dravik" of class "TfrmDebug", or its region cannot be opened. */
    DRAVIK_NO_VIEWER = 1,
    /* The viewer, or another client holding the mutex, did not finish within the timeout. */
    DRAVIK_TIMEOUT = 2,
    /* A bad argument, a file name too long, or a failed system call. */
    DRAVIK_ERROR = 3
};

/* Programs built with -Wzero-as-null-pointer-constant must not trip over this header. */
#ifdef __cplusplus
#define DRAVIK_NULL nullptr
#else
#define DRAVIK_NULL NULL
#endif

/* Process environment variable holding the timeout in milliseconds; see dravik_set_timeout. */
#define DRAVIK_TIMEOUT_VARIABLE "DRAVIK_TIMEOUT_MS"

#define DRAVIK_DEFAULT_TIMEOUT 2000u
#define DRAVIK_MAX_TIMEOUT 999999999u

static inline const char* dravik_strerror(int code) {
    switch (code) {
    case DRAVIK_OK:
        return "success";
    case DRAVIK_NO_VIEWER:
        return "no viewer is running (no window \"" DRAVIK_WINDOW_TITLE "\" of class \"" DRAVIK_WINDOW_CLASS
               "\")";
    case DRAVIK_TIMEOUT:
        return "the viewer did not answer in time";
    case DRAVIK_ERROR:
        return "failed (bad argument, file name too long, or a system call failed)";
    default:
        return "unknown error code";
    }
}

/*
 * The timeout is kept in the process environment rather than in a variable: a static variable in a header
 * would be a separate copy in each translation unit, and the environment is one per process and guarded by
 * the system. It also lets a batch file or a parent process set the timeout for dravik-send and for the
 * programs it starts. 0 restores the default; values above DRAVIK_MAX_TIMEOUT (about 11 days) are lowered
 * to it.
 */
static inline void dravik_set_timeout(unsigned ms) {
    char digits[16];
    char* first = digits + sizeof digits - 1;
    if (ms == 0) {
        SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, DRAVIK_NULL);
        return;
    }
    if (ms > DRAVIK_MAX_TIMEOUT)
        ms = DRAVIK_MAX_TIMEOUT;
    *first = 0;
    do {
        *--first = (char)('0' + ms % 10);
        ms /= 10;
    } while (ms != 0);
    SetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, first);
}

/* The timeout in force for this process: the default unless the variable holds a number from 1 up. */
static inline unsigned dravik_get_timeout(void) {
    char digits[16];
    unsigned value = 0;
    DWORD length = GetEnvironmentVariableA(DRAVIK_TIMEOUT_VARIABLE, digits, (DWORD)sizeof digits);
    DWORD i;
    if (length == 0 || length > 9) /* nine digits: at most DRAVIK_MAX_TIMEOUT, no overflow */
        return DRAVIK_DEFAULT_TIMEOUT;
    for (i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return DRAVIK_DEFAULT_TIMEOUT;
        value = value * 10 + (unsigned)(digits[i] - '0');
    }
    return value == 0 ? DRAVIK_DEFAULT_TIMEOUT : value;
}

/* One command in progress: everything it opened, released by dravik_detail_end. */
typedef struct dravik_detail_call {
    HWND window;
    HANDLE mapping;
    char* view;
    size_t capacity; /* characters of text the region holds, not counting its first byte and the zero */
    HANDLE mutex;
    int owns_mutex;
    DWORD started;
    DWORD timeout;
} dravik_detail_call;

static inline DWORD dravik_detail_remaining(const dravik_detail_call* call) {
    DWORD elapsed = GetTickCount() - call->started; /* unsigned: survives the tick count's wrap-around */
    return elapsed >= call->timeout ? 0 : call->timeout - elapsed;
}

static inline void dravik_detail_end(dravik_detail_call* call) {
    if (call->owns_mutex)
        ReleaseMutex(call->mutex);
    if (call->mutex != DRAVIK_NULL)
        CloseHandle(call->mutex);
    if (call->view != DRAVIK_NULL)
        UnmapViewOfFile(call->view);
    if (call->mapping != DRAVIK_NULL)
        CloseHandle(call->mapping);
}

/* Opens the region per call: a mapping kept from an earlier call could belong to a viewer that has since
   closed, and a restarted viewer's region is a different object under the same name. The window and the
   region are looked up once the mutex is ours, so that a wait for other clients cannot leave them stale. */
static inline int dravik_detail_begin(dravik_detail_call* call) {
    MEMORY_BASIC_INFORMATION info;
    DWORD wait;
    memset(call, 0, sizeof *call);
    call->started = GetTickCount();
    call->timeout = dravik_get_timeout();

    /* Without a viewer there is nothing to wait for: fail before touching the mutex. */
    if (FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE) == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    call->mutex = CreateMutexA(DRAVIK_NULL, FALSE, DRAVIK_MUTEX_NAME);
    if (call->mutex == DRAVIK_NULL)
        return DRAVIK_ERROR;
    wait = WaitForSingleObject(call->mutex, dravik_detail_remaining(call));
    /* An abandoned mutex is ours now; the region it guarded is about to be overwritten anyway. */
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return wait == WAIT_TIMEOUT ? DRAVIK_TIMEOUT : DRAVIK_ERROR;
    call->owns_mutex = 1;

    call->window = FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE);
    if (call->window == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    call->mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, DRAVIK_REGION_NAME);
    if (call->mapping == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    call->view = (char*)MapViewOfFile(call->mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (call->view == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    /* Another program may have created the object first with a different size: ask what was mapped. */
    if (VirtualQuery(call->view, &info, sizeof info) != sizeof info || info.RegionSize < 3)
        return DRAVIK_ERROR;
    call->capacity = info.RegionSize - 2 < DRAVIK_MAX_TEXT ? info.RegionSize - 2 : DRAVIK_MAX_TEXT;
    return DRAVIK_OK;
}

/* Caller holds the mutex and has checked that length fits. */
static inline int dravik_detail_send(dravik_detail_call* call, UINT message, const char* text,
                                     size_t length) {
    DWORD_PTR result = 0;
    DWORD remaining = dravik_detail_remaining(call);
    if (remaining == 0)
        return DRAVIK_TIMEOUT;
    call->view[0] = 0;
    if (length > 0)
        memcpy(call->view + 1, text, length);
    call->view[1 + length] = 0;
    if (SendMessageTimeoutA(call->window, message, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, remaining, &result))
        return DRAVIK_OK;
    switch (GetLastError()) {
    case ERROR_TIMEOUT:
    case ERROR_SUCCESS: /* older Windows versions reported a timeout without setting an error */
        return DRAVIK_TIMEOUT;
    case ERROR_INVALID_WINDOW_HANDLE: /* the viewer closed after we found it */
        return DRAVIK_NO_VIEWER;
    default:
        return DRAVIK_ERROR;
    }
}

static inline int dravik_detail_print(const char* text, size_t length) {
    dravik_detail_call call;
    int status = dravik_detail_begin(&call);
    if (status == DRAVIK_OK) {
        /* The mutex stays held across all pieces, so a long text arrives as consecutive lines. */
        size_t done = 0;
        do {
            size_t piece = length - done < call.capacity ? length - done : call.capacity;
            status = dravik_detail_send(&call, DRAVIK_MSG_PRINT, text + done, piece);
            done += piece;
        } while (status == DRAVIK_OK && done < length);
    }
    dravik_detail_end(&call);
    return status;
}

/* A file name is sent whole or not at all: a cut name would name some other file. */
static inline int dravik_detail_command(UINT message, const char* text) {
    dravik_detail_call call;
    size_t length = text != DRAVIK_NULL ? strlen(text) : 0;
    int status;
    if (text == DRAVIK_NULL && message != DRAVIK_MSG_CLEAR)
        return DRAVIK_ERROR;
    if (length > DRAVIK_MAX_TEXT)
        return DRAVIK_ERROR;
    status = dravik_detail_begin(&call);
    if (status == DRAVIK_OK && length > call.capacity)
        status = DRAVIK_ERROR;
    if (status == DRAVIK_OK)
        status = dravik_detail_send(&call, message, text, length);
    dravik_detail_end(&call);
    return status;
}

/* Prints text as one line (several if it is longer than 4094 characters). */
static inline int dravik_print(const char* text) {
    if (text == DRAVIK_NULL)
        return DRAVIK_ERROR;
    return dravik_detail_print(text, strlen(text));
}

static inline int dravik_vprintf(const char* format, va_list args) {
    char line[DRAVIK_MAX_TEXT + 1];
    char* whole;
    int needed;
    int status;
    va_list again;
    if (format == DRAVIK_NULL)
        return DRAVIK_ERROR;
    va_copy(again, args);
    needed = vsnprintf(line, sizeof line, format, args);
    if (needed < 0) { /* an encoding error: the buffer holds nothing reliable */
        va_end(again);
        return DRAVIK_ERROR;
    }
    if ((size_t)needed < sizeof line) {
        va_end(again);
        return dravik_detail_print(line, (size_t)needed);
    }
    whole = (char*)malloc((size_t)needed + 1);
    if (whole == DRAVIK_NULL || vsnprintf(whole, (size_t)needed + 1, format, again) != needed) {
        /* Out of memory: the first 4094 characters are better than nothing. */
        va_end(again);
        free(whole);
        return dravik_detail_print(line, sizeof line - 1);
    }
    va_end(again);
    status = dravik_detail_print(whole, (size_t)needed);
    free(whole);
    return status;
}

/* Lets GCC and Clang check the arguments against the format; on MinGW, by the rules of the C runtime that
   vsnprintf will use (msvcrt's lacks %zu and %lld unless __USE_MINGW_ANSI_STDIO is set). */
#if defined(__MINGW_PRINTF_FORMAT)
#define DRAVIK_PRINTF_FORMAT __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#elif defined(__GNUC__) || defined(__clang__)
#define DRAVIK_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define DRAVIK_PRINTF_FORMAT
#endif

static inline int dravik_printf(const char* format, ...) DRAVIK_PRINTF_FORMAT;

static inline int dravik_printf(const char* format, ...) {
    int status;
    va_list args;
    va_start(args, format);
    status = dravik_vprintf(format, args);
    va_end(args);
    return status;
}

static inline int dravik_clear(void) {
    return dravik_detail_command(DRAVIK_MSG_CLEAR, DRAVIK_NULL);
}

/* The viewer opens the file names below itself, relative to its own current directory. */
static inline int dravik_load(const char* file) {
    return dravik_detail_command(DRAVIK_MSG_LOADFROMFILE, file);
}

static inline int dravik_save(const char* file) {
    return dravik_detail_command(DRAVIK_MSG_SAVETOFILE, file);
}

static inline int dravik_setlog(const char* file) {
    return dravik_detail_command(DRAVIK_MSG_SETLOGFILE, file);
}

/*
 * Reads the viewer's Log Client Connections option ("LogConnect": "1" on, "0" off) into *on. The viewer need
 * not be running; a missing or unreadable setting sets *on to 0 and returns DRAVIK_ERROR.
 */
/* Reads "LogConnect" from one key into value; 1 when it is there and a string. */
static inline int dravik_detail_read_log_connect(HKEY root, const char* path, REGSAM view, char* value,
                                                 DWORD* size) {
    HKEY key;
    DWORD type = 0;
    LONG status;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return 0;
    status = RegQueryValueExA(key, DRAVIK_VALUE_LOG_CONNECT, DRAVIK_NULL, &type, (BYTE*)value, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ;
}

static inline int dravik_log_connect(int* on) {
    char value[8];
    DWORD size = (DWORD)sizeof value;
    if (on == DRAVIK_NULL)
        return DRAVIK_ERROR;
    *on = 0;
    /*
     * Both builds of the viewer keep the setting in the 32-bit view of the registry. For a user who is not an
     * administrator, Windows keeps the 32-bit viewer's writes in the user's VirtualStore instead, and only a
     * 32-bit program without an execution level in its manifest sees that copy by itself: look there first.
     */
    if (!dravik_detail_read_log_connect(HKEY_CURRENT_USER, DRAVIK_VIRTUAL_STORE_KEY, KEY_WOW64_64KEY, value,
                                        &size)) {
        size = (DWORD)sizeof value;
        if (!dravik_detail_read_log_connect(HKEY_LOCAL_MACHINE, DRAVIK_SETTINGS_KEY, KEY_WOW64_32KEY, value,
                                            &size))
            return DRAVIK_ERROR;
    }
    /* The stored size may or may not count a terminating zero. */
    if (size > 0 && value[size - 1] == 0)
        --size;
    if (size != 1 || (value[0] != '0' && value[0] != '1'))
        return DRAVIK_ERROR;
    *on = value[0] == '1';
    return DRAVIK_OK;
}

#ifdef __cplusplus
}
#endif
