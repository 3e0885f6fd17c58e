// Syslog from other machines: util-linux logger sends from the Linux side to the viewer under Wine, in both
// TCP framings, over UDP and in the older BSD format; a message of several lines, a frame cut at 64 KiB,
// connections that end inside a frame, the connection past the 64th, and the Network dialog that turns
// receiving on.
#include "harness/fixture.h"
#include "harness/ui.h"
#include "harness/unix.h"

#include <winsock2.h>

#include <memory>
#include <vector>

using namespace e2e;

namespace {

const DWORD kArrivalMs = 10000;
const DWORD kLoggerMs = 15000;
const char* const kCutNotice = "***** 1 syslog message was cut at 64 KiB or at the end of a connection *****";

struct Winsock {
    Winsock() { WSAStartup(MAKEWORD(2, 2), &data); }
    ~Winsock() { WSACleanup(); }
    WSADATA data{};
};

// A TCP connection of this test to the viewer, as a sender that misbehaves would make it.
class Connection {
  public:
    explicit Connection(unsigned short port) : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected_ = socket_ != INVALID_SOCKET &&
                     connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return connected_ && send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) ==
                                 static_cast<int>(bytes.size());
    }
    // Whether the viewer ended the connection within timeoutMs.
    bool EndedByPeer(DWORD timeoutMs) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
        char byte = 0;
        return select(0, &readable, nullptr, nullptr, &wait) == 1 && recv(socket_, &byte, 1, 0) <= 0;
    }
    void Close() {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

  private:
    SOCKET socket_;
    bool connected_ = false;
};

std::string Logger(unsigned short port, const std::string& options) {
    return "logger -n 127.0.0.1 -P " + std::to_string(port) + " " + options;
}

// Waits until the pane holds every one of the texts.
bool WaitForPaneHolding(HWND viewer, const std::vector<std::string>& texts, DWORD timeoutMs = kArrivalMs) {
    std::string pane;
    const bool found = WaitFor(
        [&] {
            pane = PaneText(viewer);
            for (const std::string& text : texts)
                if (pane.find(text) == std::string::npos)
                    return false;
            return true;
        },
        timeoutMs);
    return CHECK_MSG(found,
                     "the pane holds " + ToText(pane.substr(pane.size() > 600 ? pane.size() - 600 : 0)));
}

// A viewer started afresh that receives syslog on the port.
bool StartReceiving(ViewerRun& run, unsigned short port) {
    return CHECK(port != 0) && CHECK(DeleteSettings()) &&
           CHECK(SetSetting("SyslogReceivePort", std::to_string(port))) && StartViewer(run);
}

void LoggerInEveryFramingAndFormat() {
    const unsigned short port = FreePort();
    ViewerRun run;
    if (!StartReceiving(run, port))
        return;
    const HWND viewer = run.Window();
    const std::string folder = run.Folder();
    const std::string host = SyslogHostName();

    // Each one waits for the one before: messages of different connections may come in either order.
    struct Case {
        std::string options;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"-T --octet-count --rfc5424 -t octapp --id=101 'octet counted'",
         {"[" + host + " octapp 101] octet counted"}},
        {"-T --rfc5424 -t lineapp 'newline framed'", {"[" + host + " lineapp] newline framed"}},
        {"-d --rfc5424 -t udpapp --msgid M1 'over udp'", {"[" + host + " udpapp] over udp"}},
        {"-d --rfc3164 -t bsdapp --id=303 'old style'", {"[" + host + " bsdapp 303] old style"}},
        {"-T --octet-count --rfc5424 -t multi \"$(printf 'first line\\nsecond line')\"",
         {"[" + host + " multi] first line\r\n[" + host + " multi] second line\r\n"}},
    };
    std::string expected;
    for (const Case& c : cases) {
        std::string output;
        CHECK_MSG(RunUnix(folder, Logger(port, c.options), kLoggerMs, &output) == 0,
                  c.options + ": " + output);
        for (const std::string& line : c.lines)
            expected += line.back() == '\n' ? line : line + "\r\n";
        CHECK(WaitForPane(viewer, expected, kArrivalMs));
    }

    // 70000 bytes in one octet-counted frame: its first 64 KiB are a line, the cut is said, and the frame
    // after it on the same connection comes whole.
    const std::string longFile = folder + "long.txt";
    CHECK(WriteFileBytes(longFile, std::string(70000, 'x') + "\nafter the long one\n"));
    CHECK_EQ(
        RunUnix(folder,
                Logger(port, "-T --octet-count --rfc5424 -S 80000 -t big -f '" + UnixPath(longFile) + "'"),
                kLoggerMs),
        0);
    WaitForPaneHolding(viewer,
                       {"[" + host + " big] after the long one\r\n", std::string(kCutNotice) + "\r\n"});
    CHECK(run.Close());
}

void ConnectionsThatEndInsideAFrameAndThe65th() {
    const unsigned short port = FreePort();
    ViewerRun run;
    if (!StartReceiving(run, port))
        return;
    const HWND viewer = run.Window();
    Winsock winsock;

    // An octet-counted frame whose end never comes is delivered as far as it came, and counted as cut; a
    // line without its line end is a whole message.
    {
        Connection counted(port);
        CHECK(counted.Connected());
        CHECK(counted.Send("200 <13>1 - farm7 app7 77 - - cut short"));
    }
    WaitForPaneHolding(viewer, {"[farm7 app7 77] cut short\r\n" + std::string(kCutNotice) + "\r\n"});
    {
        Connection unended(port);
        CHECK(unended.Send("<13>1 - farm7 app7 78 - - no line end"));
    }
    WaitForPaneHolding(viewer, {"[farm7 app7 78] no line end\r\n"});

    // 64 connections at once are taken; the 65th is closed at once, and said.
    std::vector<std::unique_ptr<Connection>> open;
    for (int i = 0; i < 64; ++i) {
        open.push_back(std::make_unique<Connection>(port));
        CHECK(open.back()->Connected());
    }
    CHECK(open.back()->Send("<13>1 - farm8 app8 - - - the 64th\n"));
    WaitForPaneHolding(viewer, {"[farm8 app8] the 64th\r\n"});
    Connection refused(port);
    CHECK_MSG(refused.EndedByPeer(kArrivalMs), "the 65th connection stayed open");
    WaitForPaneHolding(viewer, {"***** 1 syslog connection was refused: 64 were open *****\r\n"});
    // One closes: the next one is taken again.
    open.front().reset();
    Sleep(200);
    Connection again(port);
    CHECK(again.Send("<13>1 - farm8 app8 - - - taken again\n"));
    WaitForPaneHolding(viewer, {"[farm8 app8] taken again\r\n"});
    CHECK(run.Close());
}

struct DialogControl {
    int id;
    const char* text;
    bool checked;
    bool enabled;
};

// The dialog as it opens, control by control.
void CheckDialogShows(HWND dialog, const std::vector<DialogControl>& controls) {
    for (const DialogControl& control : controls) {
        const HWND window = GetDlgItem(dialog, control.id);
        CHECK_EQ(TextOfWindow(window), control.text);
        CHECK_MSG((SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED) == control.checked,
                  std::string(control.text) + (control.checked ? " is not checked" : " is checked"));
        CHECK_MSG((IsWindowEnabled(window) != FALSE) == control.enabled,
                  std::string(control.text) + (control.enabled ? " is greyed" : " is enabled"));
    }
}

// OK, and the box it brings up (with the dialog still open), or none when the dialog closed.
ShownBox PressOk(DWORD processId, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    HWND box = nullptr;
    WaitFor([&] { return !IsWindow(dialog) || (box = FindDialog(processId, "Korvane Dravik")) != nullptr; },
            15000);
    return box ? TakeBox(box) : ShownBox();
}

void TheNetworkDialogSaysWhatCannotBeAndTurnsReceivingOn() {
    Winsock winsock;
    ViewerRun run;
    if (!StartFirstRun(run))
        return;
    const HWND viewer = run.Window();
    // A port another program listens on.
    const unsigned short busy = FreePort();
    const SOCKET holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(busy);
    CHECK(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(holder, 1) == 0);

    CHECK(PostCommand(viewer, kMnuNetwork));
    HWND dialog = WaitForDialog(run.ProcessId(), "Network");
    if (!CHECK_MSG(dialog != nullptr, "no dialog \"Network\" opened"))
        return;
    CheckDialogShows(dialog, {{kReceive, "Receive syslog on port", false, true},
                              {kReceivePort, "5514", false, false},
                              {kForward, "Forward every line to", false, true},
                              {kHost, "", false, false},
                              {kForwardPort, "514", false, false},
                              {kUdp, "UDP", true, false},
                              {kTcp, "TCP", false, false},
                              {IDOK, "OK", false, true},
                              {IDCANCEL, "Cancel", false, true}});

    SendMessageA(GetDlgItem(dialog, kReceive), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, kReceivePort), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(std::to_string(busy).c_str()));
    ShownBox box = PressOk(run.ProcessId(), dialog);
    CHECK_MSG(box.shown && box.text.find("Cannot receive syslog on port " + std::to_string(busy) + ": ") == 0,
              "the box said " + ToText(box.text));
    CHECK_MSG(IsWindow(dialog), "the dialog closed on a port in use");

    // A host that is no name is said the same way.
    const unsigned short port = FreePort();
    SendMessageA(GetDlgItem(dialog, kReceivePort), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(std::to_string(port).c_str()));
    SendMessageA(GetDlgItem(dialog, kForward), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, kHost), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("no host!"));
    box = PressOk(run.ProcessId(), dialog);
    CHECK_EQ(box.text, "'no host!' is not a host name or an IP address");
    CHECK_MSG(IsWindow(dialog), "the dialog closed on a host that is no name");

    SendMessageA(GetDlgItem(dialog, kForward), BM_CLICK, 0, 0);
    box = PressOk(run.ProcessId(), dialog);
    CHECK_MSG(!box.shown, "a box said " + ToText(box.text));
    CHECK_MSG(WaitFor([&] { return !IsWindow(dialog); }, 5000), "the dialog stayed open");
    CHECK_EQ(SettingOrAbsent("SyslogReceivePort"), std::to_string(port));
    CHECK_EQ(SettingOrAbsent("SyslogForward"), "");
    CHECK_EQ(RunUnix(run.Folder(), Logger(port, "-d --rfc5424 -t dialog 'received at once'"), kLoggerMs), 0);
    WaitForPaneHolding(viewer, {"[" + SyslogHostName() + " dialog] received at once\r\n"});
    closesocket(holder);

    // It opens again as it was left; Cancel changes nothing.
    CHECK(PostCommand(viewer, kMnuNetwork));
    dialog = WaitForDialog(run.ProcessId(), "Network");
    if (CHECK(dialog != nullptr)) {
        CheckDialogShows(dialog, {{kReceive, "Receive syslog on port", true, true},
                                  {kReceivePort, std::to_string(port).c_str(), false, true}});
        CHECK(CancelDialog(dialog));
    }
    CHECK(run.Close());
}

} // namespace

int main() {
    RunTest("logger in both framings, over UDP, in RFC 3164, several lines, a frame cut at 64 KiB",
            LoggerInEveryFramingAndFormat);
    RunTest("connections that end inside a frame, and the 65th connection",
            ConnectionsThatEndInsideAFrameAndThe65th);
    RunTest("the Network dialog says what cannot be, and turns receiving on",
            TheNetworkDialogSaysWhatCannotBeAndTurnsReceivingOn);
    return Finish();
}
