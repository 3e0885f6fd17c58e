/*
 * Korvane Dravik's channel and settings as the viewer and its clients share them: the names and numbers a
 * client needs to find the viewer, hand it a text and send it a command, and where the viewer keeps its
 * settings. Clients built against any version rely on these values; changing one breaks them.
 *
 * Plain C99 or C++, no Windows header needed: the viewer's platform-free core uses it as well as
 * dravik/client.h, which includes it, so include/dravik/ copied alone is complete.
 */
#pragma once

/* The viewer's main window, which receives the commands: clients find it by class and title together. */
#define DRAVIK_WINDOW_CLASS "TfrmDebug"
#define DRAVIK_WINDOW_TITLE "Korvane Dravik"

/*
 * The shared memory region (a named file mapping backed by the paging file) that carries a command's text:
 * byte 0 is not read, the text starts at byte 1 and ends at a zero byte within the region, so it holds at
 * most DRAVIK_MAX_TEXT characters.
 */
#define DRAVIK_REGION_NAME "DravikFileMap"
#define DRAVIK_REGION_SIZE 4096
#define DRAVIK_MAX_TEXT 4094u
/* The key under which the viewer registers the region among its own. */
#define DRAVIK_REGION_KEY "MSG_PARAM"

/* Every client takes this named mutex around filling the region and sending, so no two overwrite each
   other's text; the viewer itself never takes it. */
#define DRAVIK_MUTEX_NAME "DravikClientMutex"

/*
 * The commands: window messages from WM_USER (0x0400) + 1 on, sent synchronously to the viewer's window.
 * Both message parameters are ignored and the viewer answers 0. All but CLEAR take the region's text (a
 * line to print, or a file name as the viewer sees it).
 */
#define DRAVIK_MSG_PRINT (0x0400 + 1)
#define DRAVIK_MSG_LOADFROMFILE (0x0400 + 2)
#define DRAVIK_MSG_SAVETOFILE (0x0400 + 3)
#define DRAVIK_MSG_SETLOGFILE (0x0400 + 4)
#define DRAVIK_MSG_CLEAR (0x0400 + 5)

/*
 * PRINT with the region's text in UTF-8, under the same rules. Only a viewer whose window carries the
 * property DRAVIK_UTF8_PROPERTY (GetProp gives it as a handle other than null) knows this command: any other
 * window gets PRINT, with the text in the system's 8-bit code page.
 */
#define DRAVIK_MSG_PRINT_UTF8 (0x0400 + 6)
#define DRAVIK_UTF8_PROPERTY "DravikUtf8"

/*
 * The settings: string values under one key of HKEY_LOCAL_MACHINE, in the registry's 32-bit view (on
 * 64-bit Windows under WOW6432Node). For a user who is not an administrator, Windows keeps the 32-bit
 * viewer's writes in the user's VirtualStore instead, under HKEY_CURRENT_USER.
 */
#define DRAVIK_VENDOR "Korvane Software"
#define DRAVIK_VENDOR_KEY "SOFTWARE\\" DRAVIK_VENDOR
#define DRAVIK_SETTINGS_SUBKEY "Dravik"
#define DRAVIK_SETTINGS_KEY DRAVIK_VENDOR_KEY "\\" DRAVIK_SETTINGS_SUBKEY
#define DRAVIK_VIRTUAL_STORE_KEY                                                                             \
    "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\" DRAVIK_VENDOR                        \
    "\\" DRAVIK_SETTINGS_SUBKEY

/* The values under the key. "LogConnect" ("1" on, "0" off) is stored for the clients: the viewer writes it
   and never acts on it. */
#define DRAVIK_VALUE_LOG_CONNECT "LogConnect"
#define DRAVIK_VALUE_FLOATING "Floating"
#define DRAVIK_VALUE_TOOLBAR "Toolbar"
#define DRAVIK_VALUE_TOP "Top"
#define DRAVIK_VALUE_LEFT "Left"
#define DRAVIK_VALUE_WIDTH "Width"
#define DRAVIK_VALUE_HEIGHT "Height"
#define DRAVIK_VALUE_WINDOW_STATE "WindowState"
#define DRAVIK_VALUE_LOG_FILE "LogFile"
/* "1" while the viewer captures Windows' own debug output (OutputDebugString), anything else off. */
#define DRAVIK_VALUE_CAPTURE_WINDOWS_OUTPUT "CaptureWindowsOutput"
/* The History window's place and size on the screen, kept like the main window's. */
#define DRAVIK_VALUE_HISTORY_LEFT "HistoryLeft"
#define DRAVIK_VALUE_HISTORY_TOP "HistoryTop"
#define DRAVIK_VALUE_HISTORY_WIDTH "HistoryWidth"
#define DRAVIK_VALUE_HISTORY_HEIGHT "HistoryHeight"
/* The most megabytes the history folder beside the log may hold, in decimal digits: "0" keeps no history,
   and anything that is not a number is the default, "256". */
#define DRAVIK_VALUE_HISTORY_LIMIT "HistoryLimitMB"
/* The port the viewer receives syslog on over UDP and TCP ("" when it does not), and the collector it
   forwards every line to: "" when it does not, else "udp://host:port" or "tcp://host:port". */
#define DRAVIK_VALUE_SYSLOG_RECEIVE_PORT "SyslogReceivePort"
#define DRAVIK_VALUE_SYSLOG_FORWARD "SyslogForward"
