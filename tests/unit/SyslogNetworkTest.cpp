#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The dialog as a user fills it in: each OK is tried until one is taken.
class TScriptedDialog : public INetworkDialog {
  public:
    bool ShowNetworkDialog(const TNetworkSettings& current, INetworkApply& apply) override {
        Shown.push_back(current);
        for (const TNetworkSettings& settings : Oks) {
            std::string error;
            if (apply.ApplyNetwork(settings, error))
                return true;
            Errors.push_back(error);
        }
        return false;
    }
    std::vector<TNetworkSettings> Oks;
    std::vector<TNetworkSettings> Shown;
    Strings Errors;
};

struct TNetworkFixture : ::testing::Test {
    TMemoryRegistry Registry;
    TSettingsStore Store{Registry};
    TMemorySyslogReceiver Receiver;
    TMemorySyslogForwarder Forwarder;
    TScriptedDialog Dialog;
    TRecordingPlace Sink;
    TLineDistributor Lines;
    TFixedClock Clock;
    TSyslogNetwork Network{Receiver, Forwarder, Dialog, Store, Lines, Clock};

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
    TSyslogNetwork started{Receiver, Forwarder, Dialog, Store, Lines, Clock};
    started.ReadSettings();
    EXPECT_EQ(Receiver.Port, 5514);
    EXPECT_EQ(Forwarder.Destinations, Strings{"[::1]:6514"});

    // A port another program holds and a value that is no setting are said,
    // and the stored values stay for the next start.
    Receiver.Port = 0;
    Receiver.Taken.insert(5514);
    SetValue(DRAVIK_VALUE_SYSLOG_FORWARD, "ftp://host:1");
    TSyslogNetwork refused{Receiver, Forwarder, Dialog, Store, Lines, Clock};
    refused.ReadSettings();
    EXPECT_EQ(Receiver.Port, 0);
    ASSERT_EQ(Sink.Lines.size(), 2u);
    EXPECT_EQ(Sink.Lines[0], "***** Cannot receive syslog on port 5514: in use *****");
    EXPECT_EQ(Sink.Lines[1].rfind("***** The setting SyslogForward is ignored: ", 0), 0u) << Sink.Lines[1];
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

    Network.Close();
    EXPECT_EQ(Receiver.Port, 0);
    EXPECT_TRUE(Forwarder.Closed);
}

} // namespace
