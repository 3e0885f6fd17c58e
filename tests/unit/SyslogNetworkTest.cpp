#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerParts.h"
#include "dravik/protocol.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/MemorySyslog.h"
#include "fakes/MemoryWindow.h"
#include "shell/SettingsStore.h"
#include "shell/network/SyslogNetwork.h"

namespace {

using Strings = std::vector<std::string>;

// Each line as "host|text", the viewer's own as their text alone.
class TRecordingPlace : public ILinePlace {
  public:
    void Take(const TReceivedLine& line) override {
        Lines.push_back(line.Origin.Source == TLineSource::Viewer ? line.Text
                                                                  : line.Origin.Host + "|" + line.Text);
    }
    Strings Lines;
};

struct TNetworkFixture : ::testing::Test {
    TMemoryRegistry Registry;
    TSettingsStore Store{Registry};
    TMemorySyslogReceiver Receiver;
    TMemorySyslogForwarder Forwarder;
    TMemoryNetworkDialog Dialog;
    TRecordingPlace Sink;
    TLineDistributor Lines;
    TFixedClock Clock;
    TNetworkServices Services{Receiver, Forwarder, Dialog};
    TSyslogNetwork Network{Services, Store, Lines, Clock};

    TNetworkFixture() { Lines.AddPlace(Sink); }

    void SetValue(const char* name, const std::string& value) {
        Registry.SetString(SettingsKey, name, value);
    }
    std::string Value(const char* name) const { return Registry.StringValue(SettingsKey, name); }
};

TReceivedLine Line(TLineSource source, const std::string& text) {
    TReceivedLine line;
    line.Text = text;
    line.Origin.Source = source;
    return line;
}

TNetworkSettings Settings(std::uint16_t port, const std::string& host, std::uint16_t forwardPort = 514) {
    TNetworkSettings settings;
    settings.ReceivePort = port;
    settings.Forward.Host = host;
    settings.Forward.Port = forwardPort;
    settings.Forward.Transport = TSyslogTransport::Tcp;
    return settings;
}

TEST_F(TNetworkFixture, StartUpTakesBothSettingsAndSaysWhatCannotBeDone) {
    // Off by default.
    Network.ReadSettings();
    EXPECT_EQ(Receiver.Port, 0);
    EXPECT_TRUE(Forwarder.Destinations.empty());
    EXPECT_TRUE(Sink.Lines.empty());

    SetValue(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT, "5514");
    SetValue(DRAVIK_VALUE_SYSLOG_FORWARD, "tcp://[::1]:6514");
    TSyslogNetwork started{Services, Store, Lines, Clock};
    started.ReadSettings();
    EXPECT_EQ(Receiver.Port, 5514);
    EXPECT_EQ(Forwarder.Destinations, Strings{"[::1]:6514"});

    // A port another program holds and a value that is no setting are said,
    // and the stored values stay for the next start.
    Receiver.Port = 0;
    Receiver.Taken.insert(5514);
    SetValue(DRAVIK_VALUE_SYSLOG_FORWARD, "ftp://host:1");
    TSyslogNetwork refused{Services, Store, Lines, Clock};
    refused.ReadSettings();
    EXPECT_EQ(Receiver.Port, 0);
    ASSERT_EQ(Sink.Lines.size(), 2u);
    EXPECT_EQ(Sink.Lines[0].rfind("***** The setting SyslogForward is ignored: ", 0), 0u) << Sink.Lines[0];
    EXPECT_EQ(Sink.Lines[1], "***** Cannot receive syslog on port 5514: in use *****");
    EXPECT_EQ(refused.Settings().ReceivePort, 0);
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT), "5514");
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_FORWARD), "ftp://host:1");
}

TEST_F(TNetworkFixture, OkTakesEffectAtOnceAndAPortInUseKeepsTheDialogOpen) {
    Network.ReadSettings();
    Receiver.Taken.insert(5514);
    Dialog.Oks = {Settings(5514, "collector"), Settings(5515, "collector")};
    Network.ShowDialog();
    EXPECT_EQ(Dialog.Errors, Strings{"Cannot receive syslog on port 5514: in use"});
    EXPECT_EQ(Receiver.Port, 5515);
    EXPECT_EQ(Forwarder.Destinations, Strings{"collector:514"});
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT), "5515");
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_FORWARD), "tcp://collector:514");

    // The dialog shows what is in effect; an unchanged collector is not
    // started again, a new one replaces the old, and off is off.
    Dialog.Errors.clear();
    Dialog.Oks = {Settings(5515, "collector"), Settings(5515, "other", 6514), Settings(0, "")};
    for (const TNetworkSettings& ok : std::vector<TNetworkSettings>(Dialog.Oks)) {
        Dialog.Oks = {ok};
        Network.ShowDialog();
    }
    EXPECT_EQ(Dialog.Shown.back().ReceivePort, 5515);
    EXPECT_EQ(Dialog.Shown.back().Forward.Host, "other");
    EXPECT_EQ(Forwarder.Destinations, (Strings{"collector:514", "stopped", "other:6514", "stopped"}));
    EXPECT_EQ(Receiver.Port, 0);
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_RECEIVE_PORT), "");
    EXPECT_EQ(Value(DRAVIK_VALUE_SYSLOG_FORWARD), "");
}

TEST_F(TNetworkFixture, NetworkLinesComeInButAreNeverSentOnAndLossesAreSaid) {
    Dialog.Oks = {Settings(5514, "collector")};
    Network.Take(Line(TLineSource::Client, "before"));
    Network.ShowDialog();
    for (TLineSource source :
         {TLineSource::Client, TLineSource::WindowsOutput, TLineSource::Network, TLineSource::Viewer})
        Network.Take(Line(source, "from " + std::to_string(static_cast<int>(source))));
    EXPECT_EQ(Forwarder.Forwarded, (Strings{"from 0", "from 1", "from 3"}));

    TReceivedLine received = Line(TLineSource::Network, "hello");
    received.Origin.Host = "farm1";
    // Debug Output off: taken from the receiver and dropped.
    Receiver.Arrived = {received};
    Network.LinesArrived(false);
    EXPECT_TRUE(Receiver.Arrived.empty());
    EXPECT_TRUE(Sink.Lines.empty());
    Receiver.Arrived = {received, received};
    Receiver.Counts.CutFrames = 1;
    Receiver.Counts.RefusedConnections = 2;
    Network.LinesArrived(true);
    Forwarder.Notices = {"***** 3 lines were not forwarded to collector:514 *****"};
    Network.NoticesArrived();
    EXPECT_EQ(Sink.Lines,
              (Strings{"farm1|hello", "farm1|hello",
                       "***** 1 syslog message was cut at 64 KiB or at the end of a connection *****",
                       "***** 2 syslog connections were refused: 64 were open *****",
                       "***** 3 lines were not forwarded to collector:514 *****"}));

    // The close: listening stops, and what came before it is handed on, every slice of it.
    Receiver.Arrived = {received};
    Network.StopReceiving(true);
    EXPECT_EQ(Receiver.Port, 0);
    EXPECT_EQ(Sink.Lines.back(), "farm1|hello");
    EXPECT_FALSE(Forwarder.Closed);
    Network.Close();
    EXPECT_TRUE(Forwarder.Closed);
}

// The form: read at start-up after the capture, network lines on the one line path into the pane with their
// origin, every other line forwarded, and what came before the close in the log.
TEST(SyslogFormTest, NetworkLinesTakeTheLinePathAndTheCloseKeepsThemInTheLog) {
    TViewer V;
    V.SetSetting("SyslogReceivePort", "5514");
    V.SetSetting("SyslogForward", "udp://collector:514");
    V.SetSetting("CaptureWindowsOutput", "1");
    V.Window.Refusal = TCaptureStart::OtherReader;
    V.SyslogReceiver.Taken.insert(5514);
    V.Form.FormCreate();
    EXPECT_EQ(V.Pane.Text(), "Windows debug output is already captured by another program\r\n"
                             "***** Cannot receive syslog on port 5514: in use *****\r\n");
    EXPECT_EQ(V.SyslogForwarder.Destinations, Strings{"collector:514"});
    // Forwarding starts first: only the lines before it are not forwarded.
    EXPECT_EQ(V.SyslogForwarder.Forwarded, Strings{"***** Cannot receive syslog on port 5514: in use *****"});

    V.SyslogReceiver.Taken.clear();
    V.NetworkDialog.Oks = {Settings(5514, "collector")};
    V.NetworkDialog.Oks[0].Forward.Transport = TSyslogTransport::Udp;
    V.Form.mnuNetworkClick();
    TReceivedLine received = Line(TLineSource::Network, "from afar");
    received.Origin.Host = "farm1";
    received.Origin.App = "app";
    received.Origin.ProcId = "7";
    V.SyslogReceiver.Arrived = {received};
    V.Form.NetworkLinesArrived();
    WriteClientText(V.Memory.Bytes(RegionName), "from a client");
    V.Command(WM_DBG_PRINT);
    V.SyslogReceiver.Arrived = {received};
    EXPECT_TRUE(V.Form.FormCloseQuery());
    const std::string tail = "[farm1 app 7] from afar\r\nfrom a client\r\n[farm1 app 7] from afar\r\n";
    EXPECT_EQ(V.Files.Files[DefaultLogFile].substr(V.Files.Files[DefaultLogFile].size() - tail.size()), tail);
    EXPECT_EQ(V.SyslogForwarder.Forwarded.back(), "from a client");
    EXPECT_EQ(V.SyslogReceiver.Port, 0);
    EXPECT_TRUE(V.SyslogForwarder.Closed);
}

} // namespace
