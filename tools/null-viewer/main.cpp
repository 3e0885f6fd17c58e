// A viewer that shows nothing: it offers the same window and shared region as Dravik.exe and writes each
// command it receives to a file made afresh at start, one record per line: "PRINT text", "PRINTUTF8 text",
// "CLEAR", "LOADFROMFILE name", ... Clients are tested against it, and it measures what the channel alone
// costs.
//
//   null-viewer OUTFILE [--size BYTES] [--stall-after N [--stall-ms MS]] [--class NAME --region NAME]
//               [--show] [--no-utf8]
//
// OUTFILE NUL records nothing, for measuring the clients alone.
// OUTFILE - opens no file at all: each command's text is only copied out of the region and 0 returned, which
// is what the channel itself costs (the benchmark's baseline).
// --size creates the region with another size, as a client that came first might have.
// --stall-after answers N commands and then stops pumping messages for MS milliseconds (default 10000),
// which is how a hung viewer looks to its clients.
// --class and --region offer the channel under other names (NAME is then also the window's title), so that
// it can run beside Dravik.exe and clients can take turns between the two.
// --show shows the window and makes it the active one, as a viewer's window is; otherwise it stays hidden.
// --no-utf8 leaves the window without the mark that says it takes the UTF-8 print, as an older viewer's;
// it still records that command if a client sends it all the same.
#include "dravik/protocol.h"
#include "platform/Win32Handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    std::string outputFile;
    DWORD regionSize = DRAVIK_REGION_SIZE;
    long stallAfter = -1;
    DWORD stallMs = 10000;
    std::string windowClass = DRAVIK_WINDOW_CLASS;
    std::string title = DRAVIK_WINDOW_TITLE;
    std::string region = DRAVIK_REGION_NAME;
    bool show = false;
    bool utf8 = true;
};

struct Viewer {
    bool discard = false;
    // Kept so that the copy out of the region is really made, as in a viewer that uses the text.
    std::string lastText;
    TFileHandle output;
    TKernelHandle mapping;
    TMappedView view;
    std::size_t viewSize = 0;
    long handled = 0;
    long stallAfter = -1;
    DWORD stallMs = 0;
    bool utf8 = true;
};

const char* CommandWord(UINT message) {
    switch (message) {
    case DRAVIK_MSG_PRINT:
        return "PRINT";
    case DRAVIK_MSG_PRINT_UTF8:
        return "PRINTUTF8";
    case DRAVIK_MSG_LOADFROMFILE:
        return "LOADFROMFILE";
    case DRAVIK_MSG_SAVETOFILE:
        return "SAVETOFILE";
    case DRAVIK_MSG_SETLOGFILE:
        return "SETLOGFILE";
    case DRAVIK_MSG_CLEAR:
        return "CLEAR";
    default:
        return nullptr;
    }
}

// The region is written by other processes: the text ends at its zero byte or at the end of the view,
// whichever comes first.
std::string ReadText(const Viewer& viewer) {
    const char* bytes = static_cast<const char*>(viewer.view.Get());
    if (viewer.viewSize < 2)
        return std::string();
    const char* text = bytes + 1;
    const void* zero = std::memchr(text, 0, viewer.viewSize - 1);
    std::size_t length = zero != nullptr ? static_cast<const char*>(zero) - text : viewer.viewSize - 1;
    return std::string(text, length);
}

void Record(Viewer& viewer, UINT message) {
    if (viewer.discard) {
        if (message != DRAVIK_MSG_CLEAR)
            viewer.lastText = ReadText(viewer);
        return;
    }
    std::string record = CommandWord(message);
    if (message != DRAVIK_MSG_CLEAR)
        record += " " + ReadText(viewer);
    record += "\n";
    DWORD written = 0;
    WriteFile(viewer.output.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        // Marked before anything else: clients can find the window by its title from here on.
        const auto* made = static_cast<const Viewer*>(create->lpCreateParams);
        if (made->utf8 && !SetPropA(window, DRAVIK_UTF8_PROPERTY, reinterpret_cast<HANDLE>(1)))
            return FALSE;
    }
    auto* viewer = reinterpret_cast<Viewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (viewer != nullptr && CommandWord(message) != nullptr) {
        Record(*viewer, message);
        if (++viewer->handled == viewer->stallAfter) {
            // Release this sender first, so that only the commands after the N-th find the viewer hung.
            ReplyMessage(0);
            Sleep(viewer->stallMs);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        RemovePropA(window, DRAVIK_UTF8_PROPERTY);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ParseNumber(const char* text, unsigned long& value) {
    char* end = nullptr;
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    value = std::strtoul(text, &end, 10);
    return *end == 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long value = 0;
        if (arg == "--size" && ParseNumber(next, value) && value >= 2)
            options.regionSize = value;
        else if (arg == "--stall-after" && ParseNumber(next, value) && value >= 1)
            options.stallAfter = static_cast<long>(value);
        else if (arg == "--stall-ms" && ParseNumber(next, value))
            options.stallMs = value;
        else if (arg == "--class" && next != nullptr && *next != 0)
            options.windowClass = options.title = next;
        else if (arg == "--region" && next != nullptr && *next != 0)
            options.region = next;
        else if (arg == "--show") {
            options.show = true;
            continue;
        } else if (arg == "--no-utf8") {
            options.utf8 = false;
            continue;
        } else if (options.outputFile.empty() && arg.compare(0, 2, "--") != 0) {
            options.outputFile = arg;
            continue;
        } else
            return false;
        ++i;
    }
    return !options.outputFile.empty();
}

// A console program, so that a failure in an unattended test run is a message and an exit code, not a box
// waiting for someone to click it.
int Fail(const char* what) {
    std::fprintf(stderr, "null-viewer: %s failed, error %lu\n", what, GetLastError());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs("usage: null-viewer OUTFILE [--size BYTES] [--stall-after N [--stall-ms MS]] "
                   "[--class NAME --region NAME] [--show] [--no-utf8]\n",
                   stderr);
        return 1;
    }

    Viewer viewer;
    viewer.stallAfter = options.stallAfter;
    viewer.stallMs = options.stallMs;
    viewer.utf8 = options.utf8;
    viewer.discard = options.outputFile == "-";
    // Each run starts a fresh record, which readers may look at while the viewer still runs.
    if (!viewer.discard) {
        viewer.output = TFileHandle(CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!viewer.output)
            return Fail("CreateFileA");
    }
    viewer.mapping = TKernelHandle(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                      options.regionSize, options.region.c_str()));
    if (!viewer.mapping)
        return Fail("CreateFileMappingA");
    viewer.view = TMappedView(MapViewOfFile(viewer.mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!viewer.view)
        return Fail("MapViewOfFile");
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(viewer.view.Get(), &info, sizeof info) != sizeof info)
        return Fail("VirtualQuery");
    viewer.viewSize = info.RegionSize;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = options.windowClass.c_str();
    if (RegisterClassA(&windowClass) == 0)
        return Fail("RegisterClassA");
    HWND window = CreateWindowA(options.windowClass.c_str(), options.title.c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, &viewer);
    if (window == nullptr)
        return Fail("CreateWindowA");
    if (options.show) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
