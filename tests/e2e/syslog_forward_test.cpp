// Forwarding every line to a syslog collector: rsyslogd, started by this test as an unprivileged process with
// a configuration of its own on a free loopback port, writes what it receives with its fields to a file. The
// collector is down at first and comes up later; the lines that fit the queue all arrive, in order, and those
// that did not are counted and said.
#include "harness/collector.h"
#include "harness/fixture.h"
#include "harness/ui.h"
#include "harness/unix.h"

#include <cstdio>
#include <vector>

using namespace e2e;

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const DWORD kCollectorMs = 90000;
// Lines of this length overflow the 8 MiB queue well before this many are printed.
const int kFloodLines = 2600;
const std::size_t kFloodWidth = 3500;

std::string FloodLine(int number) {
    char head[16];
    std::snprintf(head, sizeof head, "c%04d ", number);
    return head + Filler(kFloodWidth - 6, static_cast<std::size_t>(number));
}

// "caf\xE9" as the system's code page has it, in UTF-8.
std::string Utf8Of(const std::string& codePage) {
    wchar_t wide[64] = {};
    char utf8[128] = {};
    const int length = MultiByteToWideChar(CP_ACP, 0, codePage.c_str(), -1, wide, 64);
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

std::string OwnName() {
    std::string name = OwnPath().substr(OwnPath().find_last_of('\\') + 1);
    return name.substr(0, name.size() - 4);
}

void ACollectorDownAtFirstGetsEveryQueuedLineOnceItIsUp() {
    const unsigned short port = FreePort();
    ViewerRun run;
    if (!CHECK(port != 0) || !CHECK(DeleteSettings()) ||
        !CHECK(SetSetting("SyslogForward", "tcp://127.0.0.1:" + std::to_string(port))) ||
        !CHECK(SetSetting("CaptureWindowsOutput", "1")) || !StartViewer(run))
        return;
    const HWND viewer = run.Window();
    const std::string host = SyslogHostName();
    const std::string pid = std::to_string(GetCurrentProcessId());
    SyslogCollector collector(run.Folder(), port);

    OutputDebugStringA("from the debug output\n");
    CHECK(
        WaitFor([&] { return PaneText(viewer).find("from the debug output") != std::string::npos; }, 10000));
    CHECK_SENT(Print(viewer, "caf\xE9"));
    for (int i = 1; i <= kFloodLines; ++i)
        if (!CHECK_SENT(Print(viewer, FloodLine(i))))
            break;
    if (!CHECK(collector.Start()))
        return;
    const std::string notice = "lines were not forwarded to 127.0.0.1:" + std::to_string(port) + " *****";
    CHECK_MSG(collector.WaitForLine(notice, kCollectorMs), "no notice of the lines that were not forwarded");
    CHECK(WaitFor([&] { return PaneText(viewer).find(notice) != std::string::npos; }, 5000));

    const std::vector<std::string> lines = collector.Lines();
    if (!CHECK(lines.size() >= 4))
        return;
    // The app-name is the process's name where the capture could have it, and "-" where not.
    const std::string debugOutputLine = "|" + pid + "|-|" + kBom + "from the debug output";
    if (lines[0] != host + "|-" + debugOutputLine)
        CHECK_EQ(lines[0], host + "|" + OwnName() + debugOutputLine);
    CHECK_EQ(lines[1], host + "|dravik|-|-|" + kBom + Utf8Of("caf\xE9"));
    // Every line that fit the queue, once and in order, then the notice of the rest.
    std::size_t next = 2;
    int forwarded = 0;
    while (next < lines.size() && forwarded < kFloodLines &&
           lines[next] == host + "|dravik|-|-|" + kBom + FloodLine(forwarded + 1)) {
        ++forwarded;
        ++next;
    }
    CHECK_MSG(forwarded > kFloodLines / 2,
              std::to_string(forwarded) + " lines came in order, then " +
                  (next < lines.size() ? ToText(lines[next].substr(0, 80)) : "none"));
    const std::string expectedNotice =
        host + "|dravik|-|-|" + kBom + "***** " + std::to_string(kFloodLines - forwarded) + " " + notice;
    CHECK_EQ(next < lines.size() ? lines[next] : "<none>", expectedNotice);
    CHECK_EQ(lines.size(), next + 1);

    // The same collector over UDP, chosen in the dialog, from the next line on.
    CHECK(PostCommand(viewer, kMnuNetwork));
    const HWND dialog = WaitForDialog(run.ProcessId(), "Network");
    if (CHECK(dialog != nullptr)) {
        SendMessageA(GetDlgItem(dialog, kUdp), BM_CLICK, 0, 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        CHECK_MSG(WaitFor([&] { return !IsWindow(dialog); }, 10000), "the dialog stayed open");
    }
    CHECK_EQ(SettingOrAbsent("SyslogForward"), "udp://127.0.0.1:" + std::to_string(port));
    CHECK_SENT(Print(viewer, "over udp"));
    CHECK(collector.WaitForLine(kBom + "over udp", 10000));
    CHECK_EQ(collector.Lines().back(), host + "|dravik|-|-|" + kBom + "over udp");
    collector.Stop();
    CHECK(run.Close());
}

// With the collector gone, the close waits at most 2 s for the queue.
void TheCloseWaitsForNoCollector() {
    const unsigned short port = FreePort();
    ViewerRun run;
    if (!CHECK(port != 0) || !CHECK(DeleteSettings()) ||
        !CHECK(SetSetting("SyslogForward", "tcp://127.0.0.1:" + std::to_string(port))) || !StartViewer(run))
        return;
    for (int i = 0; i < 20; ++i)
        CHECK_SENT(Print(run.Window(), "never forwarded " + std::to_string(i)));
    const DWORD start = GetTickCount();
    CHECK(run.Close());
    const DWORD took = GetTickCount() - start;
    CHECK_MSG(took < 4500, "the close took " + std::to_string(took) + " ms");
}

} // namespace

int main() {
    RunTest("a collector down at first gets every queued line once it is up",
            ACollectorDownAtFirstGetsEveryQueuedLineOnceItIsUp);
    RunTest("the close waits for no collector", TheCloseWaitsForNoCollector);
    return Finish();
}
