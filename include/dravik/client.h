/*
 * Korvane Dravik client: print to the Dravik viewer from a program under test.
 *
 *   #include "dravik/client.h"              (link kernel32, user32, advapi32)
 *   dravik_printf("x = %d", x);             (one line in the viewer; returns DRAVIK_OK or an error code)
 *   dravik_wprintf(L"user %ls", name);      (UTF-16 text: kept exactly where the viewer takes UTF-8)
 *   dravik_printf_utf8("%s ok", utf8Name);  (UTF-8 text, likewise)
 *   if (dravik_print("done") == DRAVIK_NO_VIEWER) { ... no viewer is running, nothing was sent ... }
 *
 * Plain C99 or C++11 and later, 32- or 64-bit Windows, any number of translation units (everything here is
 * static inline). The channel's names and numbers are in protocol.h beside this file: copy the whole folder.
 *
 * From its first call on, each translation unit that prints keeps the clients' mutex, the viewer's window, a
 * handle of the viewer's process and a view of the shared region, so that a call only takes the mutex, fills
 * the region, sends and releases the mutex. The one wait that takes the mutex also watches the viewer's
 * process: a call never sends to a window whose viewer has ended (window handles are reused, and the
 * commands mean other things to other windows), and when the viewer has ended or been restarted, the same
 * call finds the one running now. dravik_disconnect lets go of all of it.
 *
 * What a caller can rely on:
 * - Every call is thread-safe.
 * - No call waits longer than about the timeout (2000 ms unless dravik_set_timeout says otherwise): with no
 *   viewer it returns DRAVIK_NO_VIEWER at once; a viewer that does not answer gives DRAVIK_TIMEOUT.
 * - Text is 8-bit, passed on unchanged. A text longer than the region holds (4094 characters) is cut into
 *   pieces of at most that length, each printed as a line of its own; other clients' lines never land
 *   between those pieces. A file name that does not fit is refused with DRAVIK_ERROR, never cut.
 * - Unicode text (dravik_wprint, dravik_wprintf, dravik_print_utf8, dravik_printf_utf8) goes to the viewer
 *   in UTF-8 where its window says it takes UTF-8 (DRAVIK_UTF8_PROPERTY): the viewer's history keeps it
 *   exactly, and its pane shows it in the system's code page. An older viewer, which knows only PRINT, gets
 *   the text converted to the system's 8-bit code page (the ANSI code page, GetACP), where a character that
 *   it cannot hold becomes "?". A UTF-8 text longer than the region holds is cut between characters.
 * - All clients (every thread and process using this header, and dravik-send) take the same named mutex
 *   around filling the region and sending, so two clients never overwrite each other's text. A client that
 *   ended while holding it does not lock the others out.
 * - A short print allocates nothing; dravik_printf allocates only when its result exceeds 4094 characters,
 *   the Unicode forms only when their text does, before or after a conversion.
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
#include <wchar.h>

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

/*
 * What a translation unit keeps between calls. A header has no place for one copy per process: each
 * translation unit that includes it has its own, opened by its first call.
 */

/* Calls of one translation unit that can wait for the viewer's process at once; further ones wait for the
   mutex alone and look at the viewer once they hold it. */
#define DRAVIK_DETAIL_WATCHERS 16

typedef struct dravik_detail_kept {
    /* Made by the first call that needs it, then left alone until dravik_disconnect. */
    void* volatile mutex;
    /* The viewer's process, or null when no viewer is known or its process could not be opened. Calls read it
       without holding the mutex, to wait for it; only the mutex's owner replaces it. */
    void* volatile process;
    /* The process handles that calls are waiting for at this moment: a replaced handle is closed only once no
       slot holds it, since closing a handle that another thread waits for has undefined results. */
    void* volatile watched[DRAVIK_DETAIL_WATCHERS];
    /* The rest belongs to the mutex's owner. */
    HANDLE retired[DRAVIK_DETAIL_WATCHERS + 1]; /* replaced process handles that a slot still holds */
    int retired_count;
    HWND window;
    HANDLE mapping;
    char* view;
    size_t capacity; /* characters of text the region holds, not counting its first byte and the zero */
    int utf8;        /* the viewer's window carries DRAVIK_UTF8_PROPERTY: it takes DRAVIK_MSG_PRINT_UTF8 */
} dravik_detail_kept;

static inline dravik_detail_kept* dravik_detail_state(void) {
    static dravik_detail_kept kept;
    return &kept;
}

/* A read with a full barrier, as a slot's or the process's value must be seen in order with the others. */
static inline HANDLE dravik_detail_read(void* volatile* shared) {
    return InterlockedCompareExchangePointer(shared, DRAVIK_NULL, DRAVIK_NULL);
}

static inline HANDLE dravik_detail_mutex(dravik_detail_kept* kept) {
    HANDLE mutex = dravik_detail_read(&kept->mutex);
    HANDLE first;
    if (mutex != DRAVIK_NULL)
        return mutex;
    mutex = CreateMutexA(DRAVIK_NULL, FALSE, DRAVIK_MUTEX_NAME);
    if (mutex == DRAVIK_NULL)
        return DRAVIK_NULL;
    first = InterlockedCompareExchangePointer(&kept->mutex, mutex, DRAVIK_NULL);
    if (first == DRAVIK_NULL)
        return mutex;
    CloseHandle(mutex); /* another thread made it at the same moment */
    return first;
}

/*
 * Takes a slot holding the viewer's process handle, for the time this call waits for it. Returns the slot,
 * with the handle in *process; or -1, with *process null, when no viewer is known or every slot is taken.
 */
static inline int dravik_detail_watch(dravik_detail_kept* kept, HANDLE* process) {
    HANDLE current = dravik_detail_read(&kept->process);
    HANDLE now;
    int slot;
    *process = DRAVIK_NULL;
    if (current == DRAVIK_NULL)
        return -1;
    for (slot = 0; slot < DRAVIK_DETAIL_WATCHERS; ++slot) {
        if (InterlockedCompareExchangePointer(&kept->watched[slot], current, DRAVIK_NULL) != DRAVIK_NULL)
            continue;
        /* The owner may have replaced the handle before the slot held it, and then not seen the slot: follow
           the replacement until the slot and the process agree. */
        while ((now = dravik_detail_read(&kept->process)) != current) {
            current = now;
            InterlockedExchangePointer(&kept->watched[slot], current);
            if (current == DRAVIK_NULL)
                return -1;
        }
        *process = current;
        return slot;
    }
    return -1;
}

static inline void dravik_detail_unwatch(dravik_detail_kept* kept, int slot) {
    if (slot >= 0)
        InterlockedExchangePointer(&kept->watched[slot], DRAVIK_NULL);
}

static inline int dravik_detail_watched(dravik_detail_kept* kept, HANDLE process) {
    int slot;
    for (slot = 0; slot < DRAVIK_DETAIL_WATCHERS; ++slot) {
        if (dravik_detail_read(&kept->watched[slot]) == process)
            return 1;
    }
    return 0;
}

/* Closes the replaced process handles that no call waits for any more. */
static inline void dravik_detail_purge(dravik_detail_kept* kept) {
    int i = 0;
    while (i < kept->retired_count) {
        if (dravik_detail_watched(kept, kept->retired[i])) {
            ++i;
            continue;
        }
        CloseHandle(kept->retired[i]);
        kept->retired[i] = kept->retired[--kept->retired_count];
    }
}

/* Lets go of the viewer that was known. After a purge every retired handle is in a slot of its own, so the
   list never overflows. */
static inline void dravik_detail_forget(dravik_detail_kept* kept) {
    HANDLE process = InterlockedExchangePointer(&kept->process, DRAVIK_NULL);
    if (process != DRAVIK_NULL) {
        dravik_detail_purge(kept);
        if (dravik_detail_watched(kept, process))
            kept->retired[kept->retired_count++] = process;
        else
            CloseHandle(process);
    }
    if (kept->view != DRAVIK_NULL)
        UnmapViewOfFile(kept->view);
    if (kept->mapping != DRAVIK_NULL)
        CloseHandle(kept->mapping);
    kept->view = DRAVIK_NULL;
    kept->mapping = DRAVIK_NULL;
    kept->window = DRAVIK_NULL;
    kept->capacity = 0;
    kept->utf8 = 0;
}

/*
 * Finds the viewer running now, with nothing kept: its window, its process (to notice its end) and a view of
 * its region. A viewer whose process cannot be opened is used all the same, and found again by every call.
 */
static inline int dravik_detail_find(dravik_detail_kept* kept) {
    MEMORY_BASIC_INFORMATION info;
    DWORD id = 0;
    DWORD owner = 0;
    HANDLE process = DRAVIK_NULL;
    HWND window = FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE);
    if (window == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    GetWindowThreadProcessId(window, &id);
    if (id != 0)
        process = OpenProcess(SYNCHRONIZE, FALSE, id);
    /* An open process keeps its id: when the window still has that owner and the process still runs, the
       window is that process's, and will be until the process ends. */
    if (process != DRAVIK_NULL && (GetWindowThreadProcessId(window, &owner) == 0 || owner != id ||
                                   WaitForSingleObject(process, 0) != WAIT_TIMEOUT)) {
        CloseHandle(process);
        return DRAVIK_NO_VIEWER;
    }
    kept->mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, DRAVIK_REGION_NAME);
    if (kept->mapping != DRAVIK_NULL)
        kept->view = (char*)MapViewOfFile(kept->mapping, FILE_MAP_WRITE, 0, 0, 0);
    /* Another program may have created the object first with a different size, or as memory that is only
       reserved or read-only, which would fault at the first write: ask what was mapped. */
    if (kept->view == DRAVIK_NULL || VirtualQuery(kept->view, &info, sizeof info) != sizeof info ||
        info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
        (info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE)) == 0 || info.RegionSize < 3) {
        int status = kept->view == DRAVIK_NULL ? DRAVIK_NO_VIEWER : DRAVIK_ERROR;
        if (process != DRAVIK_NULL)
            CloseHandle(process);
        dravik_detail_forget(kept);
        return status;
    }
    kept->capacity = info.RegionSize - 2 < DRAVIK_MAX_TEXT ? info.RegionSize - 2 : DRAVIK_MAX_TEXT;
    kept->window = window;
    /* The viewer marks its window before its title lets clients find it. */
    kept->utf8 = GetPropA(window, DRAVIK_UTF8_PROPERTY) != DRAVIK_NULL;
    if (process != DRAVIK_NULL)
        InterlockedExchangePointer(&kept->process, process);
    return DRAVIK_OK;
}

/* The mutex's owner: whichever viewer runs now, the known one if it still does. */
static inline int dravik_detail_refresh(dravik_detail_kept* kept) {
    if (kept->process != DRAVIK_NULL && WaitForSingleObject(kept->process, 0) == WAIT_TIMEOUT)
        return DRAVIK_OK;
    dravik_detail_forget(kept);
    return dravik_detail_find(kept);
}

/* The viewer has ended and none runs: let go of it now if the mutex is free, so that its region goes with it
   and the next viewer makes its own, instead of waiting for the next viewer's first call. */
static inline void dravik_detail_tidy(dravik_detail_kept* kept, HANDLE mutex) {
    DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return;
    if (kept->process != DRAVIK_NULL && WaitForSingleObject(kept->process, 0) == WAIT_OBJECT_0)
        dravik_detail_forget(kept);
    ReleaseMutex(mutex);
}

/* One command in progress. */
typedef struct dravik_detail_call {
    dravik_detail_kept* kept;
    HANDLE mutex;
    int owns_mutex;
    DWORD started;
    DWORD timeout;
} dravik_detail_call;

static inline DWORD dravik_detail_remaining(const dravik_detail_call* call) {
    DWORD elapsed = GetTickCount() - call->started; /* unsigned: survives the tick count's wrap-around */
    return elapsed >= call->timeout ? 0 : call->timeout - elapsed;
}

static inline int dravik_detail_wait_failed(DWORD wait) {
    return wait == WAIT_TIMEOUT ? DRAVIK_TIMEOUT : DRAVIK_ERROR;
}

/* Takes the mutex and makes sure of the viewer. An abandoned mutex is ours all the same: the region it
   guarded is about to be overwritten anyway. */
static inline int dravik_detail_begin(dravik_detail_call* call) {
    dravik_detail_kept* kept = dravik_detail_state();
    HANDLE process;
    HANDLE both[2];
    DWORD wait;
    int slot;
    memset(call, 0, sizeof *call);
    call->kept = kept;
    call->started = GetTickCount();
    call->timeout = dravik_get_timeout();

    slot = dravik_detail_watch(kept, &process);
    /* Without a viewer there is nothing to wait for: fail before touching the mutex. */
    if (process == DRAVIK_NULL && FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE) == DRAVIK_NULL)
        return DRAVIK_NO_VIEWER;
    call->mutex = dravik_detail_mutex(kept);
    if (call->mutex == DRAVIK_NULL) {
        dravik_detail_unwatch(kept, slot);
        return DRAVIK_ERROR;
    }
    if (process != DRAVIK_NULL) {
        /* One wait takes the mutex and notices the viewer's end. The process comes first: once it has ended,
           the wait reports that and leaves the mutex alone, free or not. */
        both[0] = process;
        both[1] = call->mutex;
        wait = WaitForMultipleObjects(2, both, FALSE, dravik_detail_remaining(call));
        dravik_detail_unwatch(kept, slot);
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_ABANDONED_0 + 1) {
            call->owns_mutex = 1;
            /* The wait vouches for the process it watched; another call may have replaced that meanwhile. */
            return kept->process == process ? DRAVIK_OK : dravik_detail_refresh(kept);
        }
        if (wait != WAIT_OBJECT_0)
            return dravik_detail_wait_failed(wait);
        if (FindWindowA(DRAVIK_WINDOW_CLASS, DRAVIK_WINDOW_TITLE) == DRAVIK_NULL) {
            dravik_detail_tidy(kept, call->mutex);
            return DRAVIK_NO_VIEWER;
        }
    }
    /* No viewer was known, or it has ended and another runs: the mutex alone, then the viewer. */
    wait = WaitForSingleObject(call->mutex, dravik_detail_remaining(call));
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return dravik_detail_wait_failed(wait);
    call->owns_mutex = 1;
    return dravik_detail_refresh(kept);
}

static inline void dravik_detail_end(dravik_detail_call* call) {
    if (!call->owns_mutex)
        return;
    if (call->kept->retired_count > 0)
        dravik_detail_purge(call->kept);
    ReleaseMutex(call->mutex);
}

/* dravik_detail_send's answer when the window went away under it while its process still ran. */
#define DRAVIK_DETAIL_GONE (-1)

/* Caller holds the mutex and has checked that length fits. */
static inline int dravik_detail_send(dravik_detail_call* call, UINT message, const char* text,
                                     size_t length) {
    dravik_detail_kept* kept = call->kept;
    DWORD_PTR result = 0;
    DWORD remaining = dravik_detail_remaining(call);
    if (remaining == 0)
        return DRAVIK_TIMEOUT;
    kept->view[0] = 0;
    if (length > 0)
        memcpy(kept->view + 1, text, length);
    kept->view[1 + length] = 0;
    if (SendMessageTimeoutA(kept->window, message, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, remaining, &result))
        return DRAVIK_OK;
    switch (GetLastError()) {
    case ERROR_TIMEOUT:
    case ERROR_SUCCESS: /* older Windows versions reported a timeout without setting an error */
        return DRAVIK_TIMEOUT;
    default:
        /* A window that went away under the send gives one error or another (Wine: access denied when it
           goes while the command waits for it), hence the look at the window itself. */
        return IsWindow(kept->window) ? DRAVIK_ERROR : DRAVIK_DETAIL_GONE;
    }
}

/* After a window went away under a send (a viewer on its way out): once per call, the viewer running now
   gets the text instead. */
static inline int dravik_detail_after_gone(dravik_detail_call* call, int* retried) {
    if ((*retried)++ > 0)
        return DRAVIK_NO_VIEWER;
    dravik_detail_forget(call->kept);
    return dravik_detail_find(call->kept);
}

/* dravik_detail_send_pieces' answer when the viewer it went on with does not take UTF-8. */
#define DRAVIK_DETAIL_NOT_UTF8 (-2)

static inline int dravik_detail_continuation(char byte) {
    return ((unsigned char)byte & 0xC0) == 0x80;
}

/* How much of the text the next piece takes: all that fits, but a piece of UTF-8 ends before a character
   that does not fit whole (text that is no UTF-8 there is cut where it fills the region). */
static inline size_t dravik_detail_piece(const char* text, size_t length, size_t capacity, int utf8) {
    size_t piece = length < capacity ? length : capacity;
    size_t cut = piece;
    int back;
    if (!utf8 || piece == length)
        return piece;
    for (back = 0; back < 3 && cut > 0 && dravik_detail_continuation(text[cut]); ++back)
        --cut;
    return cut > 0 && !dravik_detail_continuation(text[cut]) ? cut : piece;
}

/*
 * Sends the text from *done on, in pieces that fit the region, with the mutex the caller holds: the pieces
 * arrive as consecutive lines. A viewer that went away under a send is replaced once per call by the one
 * running now; with message DRAVIK_MSG_PRINT_UTF8, a viewer that does not take it stops the sending with
 * DRAVIK_DETAIL_NOT_UTF8 and *done at the start of a character.
 */
static inline int dravik_detail_send_pieces(dravik_detail_call* call, int* retried, UINT message,
                                            const char* text, size_t length, size_t* done) {
    const int utf8 = message == DRAVIK_MSG_PRINT_UTF8;
    int status = DRAVIK_OK;
    for (;;) {
        size_t piece;
        if (utf8 && !call->kept->utf8)
            return DRAVIK_DETAIL_NOT_UTF8;
        piece = dravik_detail_piece(text + *done, length - *done, call->kept->capacity, utf8);
        status = dravik_detail_send(call, message, text + *done, piece);
        if (status == DRAVIK_DETAIL_GONE) {
            status = dravik_detail_after_gone(call, retried);
            if (status != DRAVIK_OK)
                return status;
            continue;
        }
        if (status != DRAVIK_OK)
            return status;
        *done += piece;
        if (*done >= length)
            return DRAVIK_OK;
    }
}

static inline int dravik_detail_print(const char* text, size_t length) {
    dravik_detail_call call;
    size_t done = 0;
    int retried = 0;
    int status = dravik_detail_begin(&call);
    if (status == DRAVIK_OK)
        status = dravik_detail_send_pieces(&call, &retried, DRAVIK_MSG_PRINT, text, length, &done);
    dravik_detail_end(&call);
    return status;
}

/* A file name is sent whole or not at all: a cut name would name some other file. */
static inline int dravik_detail_command(UINT message, const char* text) {
    dravik_detail_call call;
    size_t length = text != DRAVIK_NULL ? strlen(text) : 0;
    int retried = 0;
    int status;
    if (text == DRAVIK_NULL && message != DRAVIK_MSG_CLEAR)
        return DRAVIK_ERROR;
    if (length > DRAVIK_MAX_TEXT)
        return DRAVIK_ERROR;
    status = dravik_detail_begin(&call);
    while (status == DRAVIK_OK) {
        if (length > call.kept->capacity) {
            status = DRAVIK_ERROR;
            break;
        }
        status = dravik_detail_send(&call, message, text, length);
        if (status != DRAVIK_DETAIL_GONE)
            break;
        status = dravik_detail_after_gone(&call, &retried);
    }
    dravik_detail_end(&call);
    return status;
}

/* Prints text as one line (several if it is longer than 4094 characters). */
static inline int dravik_print(const char* text) {
    if (text == DRAVIK_NULL)
        return DRAVIK_ERROR;
    return dravik_detail_print(text, strlen(text));
}

/* Where a formatted text goes: dravik_detail_print or dravik_detail_print_utf8. */
typedef int (*dravik_detail_sink)(const char* text, size_t length);

static inline int dravik_detail_vformat(dravik_detail_sink sink, const char* format, va_list args) {
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
        return sink(line, (size_t)needed);
    }
    whole = (char*)malloc((size_t)needed + 1);
    if (whole == DRAVIK_NULL || vsnprintf(whole, (size_t)needed + 1, format, again) != needed) {
        /* Out of memory: the first 4094 characters are better than nothing. */
        va_end(again);
        free(whole);
        return sink(line, sizeof line - 1);
    }
    va_end(again);
    status = sink(whole, (size_t)needed);
    free(whole);
    return status;
}

static inline int dravik_vprintf(const char* format, va_list args) {
    return dravik_detail_vformat(dravik_detail_print, format, args);
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

/* Longer wide texts are refused: every count below then fits an int, whatever the conversion makes of it (at
   most three bytes of UTF-8 for each UTF-16 unit). */
#define DRAVIK_DETAIL_WIDE_LIMIT 0x1FFFFFFFu

/* A character beyond the Basic Multilingual Plane: converted half by half it would make two "?". */
static inline int dravik_detail_pair_at(const wchar_t* text, size_t at, size_t length) {
    return at + 1 < length && text[at] >= 0xD800 && text[at] <= 0xDBFF && text[at + 1] >= 0xDC00 &&
           text[at + 1] <= 0xDFFF;
}

/*
 * Converts text to the system's 8-bit code page into out, at most capacity bytes; with out null, only counts
 * them. Returns 1 with the count in *made, or 0 when the conversion failed or did not fit. A code page of
 * UTF-8 holds every character; any other holds none beyond the Basic Multilingual Plane, and must not map a
 * character to a look-alike ("best fit"): what it cannot hold becomes "?".
 */
static inline int dravik_detail_narrow(const wchar_t* text, size_t length, char* out, size_t capacity,
                                       size_t* made) {
    UINT page = GetACP();
    int utf8 = page == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* unknown = utf8 ? DRAVIK_NULL : "?";
    size_t done = 0;
    size_t start = 0;
    size_t at = 0;
    while (start < length) {
        while (at < length && (utf8 || !dravik_detail_pair_at(text, at, length)))
            ++at;
        if (at > start) {
            int room = out != DRAVIK_NULL ? (int)(capacity - done) : 0;
            int piece = room == 0 && out != DRAVIK_NULL
                            ? 0
                            : WideCharToMultiByte(page, flags, text + start, (int)(at - start),
                                                  out != DRAVIK_NULL ? out + done : DRAVIK_NULL, room,
                                                  unknown, DRAVIK_NULL);
            if (piece <= 0)
                return 0;
            done += (size_t)piece;
        }
        if (at < length) {
            if (out != DRAVIK_NULL) {
                if (done >= capacity)
                    return 0;
                out[done] = '?';
            }
            ++done;
            at += 2;
        }
        start = at;
    }
    *made = done;
    return 1;
}

/*
 * For a viewer that does not take UTF-8: sends the UTF-8 text converted to its code page as dravik_wprint's
 * text is, as PRINT, with the mutex the caller holds. The text's UTF-16 form never has more units than the
 * text has bytes.
 */
static inline int dravik_detail_send_narrowed(dravik_detail_call* call, int* retried, const char* text,
                                              size_t length) {
    wchar_t wide[DRAVIK_MAX_TEXT];
    char line[DRAVIK_MAX_TEXT];
    wchar_t* wideWhole = wide;
    char* whole = line;
    int units = 0;
    size_t made = 0;
    size_t done = 0;
    int status = DRAVIK_ERROR;
    if (length > 0x7FFFFFFFu)
        return DRAVIK_ERROR;
    if (length > DRAVIK_MAX_TEXT)
        wideWhole = (wchar_t*)malloc(length * sizeof(wchar_t));
    if (wideWhole != DRAVIK_NULL && length > 0)
        units = MultiByteToWideChar(CP_UTF8, 0, text, (int)length, wideWhole, (int)length);
    if (wideWhole != DRAVIK_NULL && (units > 0 || length == 0)) {
        if (!dravik_detail_narrow(wideWhole, (size_t)units, line, sizeof line, &made)) {
            /* Too long for the line, or not convertible at all: counting tells which. */
            whole = dravik_detail_narrow(wideWhole, (size_t)units, DRAVIK_NULL, 0, &made)
                        ? (char*)malloc(made)
                        : DRAVIK_NULL;
            if (whole != DRAVIK_NULL && !dravik_detail_narrow(wideWhole, (size_t)units, whole, made, &made)) {
                free(whole);
                whole = DRAVIK_NULL;
            }
        }
        if (whole != DRAVIK_NULL)
            status = dravik_detail_send_pieces(call, retried, DRAVIK_MSG_PRINT, whole, made, &done);
    }
    if (whole != line)
        free(whole);
    if (wideWhole != wide)
        free(wideWhole);
    return status;
}

/* UTF-8 text to a viewer that takes it, converted for any other; the mutex stays held throughout, so the
   pieces arrive as consecutive lines even where a viewer of either kind takes over midway. */
static inline int dravik_detail_print_utf8(const char* text, size_t length) {
    dravik_detail_call call;
    size_t done = 0;
    int retried = 0;
    int status = dravik_detail_begin(&call);
    if (status == DRAVIK_OK)
        status = dravik_detail_send_pieces(&call, &retried, DRAVIK_MSG_PRINT_UTF8, text, length, &done);
    if (status == DRAVIK_DETAIL_NOT_UTF8)
        status = dravik_detail_send_narrowed(&call, &retried, text + done, length - done);
    dravik_detail_end(&call);
    return status;
}

/*
 * Prints UTF-8 text as one line (several if it is longer than 4094 bytes, each cut between two characters).
 * A viewer that takes UTF-8 keeps it exactly; an older one gets it in the system's code page, as
 * dravik_wprint's text.
 */
static inline int dravik_print_utf8(const char* text) {
    if (text == DRAVIK_NULL)
        return DRAVIK_ERROR;
    return dravik_detail_print_utf8(text, strlen(text));
}

static inline int dravik_vprintf_utf8(const char* format, va_list args) {
    return dravik_detail_vformat(dravik_detail_print_utf8, format, args);
}

/* The format and the strings it takes are UTF-8. */
static inline int dravik_printf_utf8(const char* format, ...) DRAVIK_PRINTF_FORMAT;

static inline int dravik_printf_utf8(const char* format, ...) {
    int status;
    va_list args;
    va_start(args, format);
    status = dravik_vprintf_utf8(format, args);
    va_end(args);
    return status;
}

/* Goes as UTF-8: a lone half of a surrogate pair becomes U+FFFD, which no 8-bit code page holds either. */
static inline int dravik_detail_wprint(const wchar_t* text, size_t length) {
    char line[DRAVIK_MAX_TEXT];
    char* whole;
    int made;
    int status;
    if (length > DRAVIK_DETAIL_WIDE_LIMIT)
        return DRAVIK_ERROR;
    if (length == 0)
        return dravik_detail_print_utf8("", 0);
    made =
        WideCharToMultiByte(CP_UTF8, 0, text, (int)length, line, (int)sizeof line, DRAVIK_NULL, DRAVIK_NULL);
    if (made > 0)
        return dravik_detail_print_utf8(line, (size_t)made);
    /* Too long for the line, or not convertible at all: counting tells which. */
    made = WideCharToMultiByte(CP_UTF8, 0, text, (int)length, DRAVIK_NULL, 0, DRAVIK_NULL, DRAVIK_NULL);
    whole = made > 0 ? (char*)malloc((size_t)made) : DRAVIK_NULL;
    if (whole == DRAVIK_NULL)
        return DRAVIK_ERROR;
    status = WideCharToMultiByte(CP_UTF8, 0, text, (int)length, whole, made, DRAVIK_NULL, DRAVIK_NULL) == made
                 ? dravik_detail_print_utf8(whole, (size_t)made)
                 : DRAVIK_ERROR;
    free(whole);
    return status;
}

/* Prints UTF-16 text as one line (several if its conversion is longer than 4094 characters). */
static inline int dravik_wprint(const wchar_t* text) {
    if (text == DRAVIK_NULL)
        return DRAVIK_ERROR;
    return dravik_detail_wprint(text, wcslen(text));
}

/* MSVC deprecates _vsnwprintf; both it and _vsnwprintf_s agree with _vscwprintf on what each conversion
   means, which C's vswprintf does not on MinGW (%s is a wide string in the Microsoft runtimes). */
#if defined(_MSC_VER)
#define DRAVIK_DETAIL_VSNWPRINTF(buffer, count, format, args)                                                \
    _vsnwprintf_s(buffer, count, _TRUNCATE, format, args)
#else
#define DRAVIK_DETAIL_VSNWPRINTF(buffer, count, format, args) _vsnwprintf(buffer, count, format, args)
#endif

/*
 * Formats with the C runtime's wide printf: %ls is a wide string and %hs an 8-bit one everywhere; what %s is
 * depends on the runtime (a wide string in Microsoft's). The result is converted as by dravik_wprint.
 */
static inline int dravik_vwprintf(const wchar_t* format, va_list args) {
    wchar_t line[DRAVIK_MAX_TEXT + 1];
    wchar_t* whole = line;
    int needed;
    int status = DRAVIK_ERROR;
    va_list again;
    if (format == DRAVIK_NULL)
        return DRAVIK_ERROR;
    va_copy(again, args);
    needed = _vscwprintf(format, args);
    if (needed >= 0 && (size_t)needed <= DRAVIK_DETAIL_WIDE_LIMIT) {
        if ((size_t)needed >= sizeof line / sizeof line[0])
            whole = (wchar_t*)malloc(((size_t)needed + 1) * sizeof(wchar_t));
        if (whole != DRAVIK_NULL &&
            DRAVIK_DETAIL_VSNWPRINTF(whole, (size_t)needed + 1, format, again) == needed)
            status = dravik_detail_wprint(whole, (size_t)needed);
        if (whole != line)
            free(whole);
    }
    va_end(again);
    return status;
}

static inline int dravik_wprintf(const wchar_t* format, ...) {
    int status;
    va_list args;
    va_start(args, format);
    status = dravik_vwprintf(format, args);
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
 * Lets go of what this translation unit keeps between calls (the mutex, the viewer's window and process, the
 * region's view); the next call opens them again. A DLL that includes this header calls it before it is
 * unloaded. No other thread may be inside a call of this translation unit meanwhile.
 */
static inline void dravik_disconnect(void) {
    dravik_detail_kept* kept = dravik_detail_state();
    HANDLE mutex = InterlockedExchangePointer(&kept->mutex, DRAVIK_NULL);
    int i;
    dravik_detail_forget(kept);
    for (i = 0; i < kept->retired_count; ++i)
        CloseHandle(kept->retired[i]);
    kept->retired_count = 0;
    if (mutex != DRAVIK_NULL)
        CloseHandle(mutex);
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
