#include <gtest/gtest.h>

#include <string>

#include "fakes/MemoryRegistry.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettingsRegistry.h"

namespace {

using namespace std::string_literals;

class SettingsTest : public ::testing::Test {
  protected:
    // Raw data, the way a value of any type written by another program would look.
    void StoreRaw(const std::string& name, const std::string& data) {
        Registry.Keys[SettingsKey][name] = data;
    }
    std::string Read(const std::string& name) const {
        std::string value = "stale";
        Settings.ReadRegString(name, "default", value);
        return value;
    }

    TMemoryRegistry Registry;
    TSettingsStore Settings{Registry};
};

TEST_F(SettingsTest, AMissingOrUnopenableKeyGivesTheDefault) {
    EXPECT_EQ(Read("Floating"), "default");
    StoreRaw("Floating", "0\0"s);
    Registry.DenyAccess = true;
    EXPECT_EQ(Read("Floating"), "default");
}

// Whatever its type, a value reads as its data up to the first zero byte when the data fits the 254-byte
// buffer, and as empty when it does not, or when an existing key lacks the value (not as the default).
TEST_F(SettingsTest, AValueReadsAsItsDataUpToTheFirstZeroWhenItFitsTheBuffer) {
    const struct {
        const char* Name;
        std::string Data;
        std::string Text;
    } values[] = {{"Toolbar", "1\0"s, "1"},
                  {"Fits", std::string(253, 'f') + '\0', std::string(253, 'f')},
                  {"TooLong", std::string(254, 't') + '\0', ""},
                  {"FarTooLong", std::string(1000, 't') + '\0', ""},
                  {"Embedded", "ab\0cd\0"s, "ab"},
                  {"Binary", "\x01\x02\x03"s, "\x01\x02\x03"},
                  {"BinaryWithZero", "xy\0\0"s, "xy"}};
    for (const auto& value : values)
        StoreRaw(value.Name, value.Data);
    for (const auto& value : values)
        EXPECT_EQ(Read(value.Name), value.Text) << value.Name;
    EXPECT_EQ(Read("LogConnect"), "");
}

TEST_F(SettingsTest, WritingStoresTheTextAndOneZeroByte) {
    EXPECT_TRUE(Settings.WriteRegString("LogConnect", "1"));
    EXPECT_EQ(Registry.Keys[SettingsKey]["LogConnect"], "1\0"s);
    EXPECT_TRUE(Settings.WriteRegString("LogFile", ""));
    EXPECT_EQ(Registry.Keys[SettingsKey]["LogFile"], "\0"s);
    EXPECT_EQ(Read("LogFile"), "");

    // A value written whole may still be too long to come back.
    Settings.WriteRegString("LogFile", std::string(254, 'p'));
    EXPECT_EQ(Read("LogFile"), "");

    Registry.DenyAccess = true;
    EXPECT_FALSE(Settings.WriteRegString("Floating", "1"));
}

// The 64-bit build's settings: the 32-bit view of the machine key, or the copy
// that registry virtualization keeps of it for a user who is not an administrator.
TEST(SharedSettingsTest, TheStoreCopyComesFirstAndTakesTheWritesTheMachineRefuses) {
    TMemoryRegistry machine;
    TMemoryRegistry store;
    TSharedSettingsRegistry shared(machine, store);
    TSettingsStore settings(shared);

    EXPECT_EQ(settings.ReadRegString("Floating", "default"), "default");
    machine.SetString(SettingsKey, "Floating", "0");
    machine.SetString(SettingsKey, "Toolbar", "0");
    store.SetString(SettingsKey, "Floating", "1");
    EXPECT_EQ(settings.ReadRegString("Floating", "default"), "1");
    EXPECT_EQ(settings.ReadRegString("Toolbar", "default"), "0");

    // An administrator's write reaches the machine key, and the store copy
    // that would hide it follows; values the store lacks stay out of it.
    EXPECT_TRUE(settings.WriteRegString("Floating", "0"));
    EXPECT_TRUE(settings.WriteRegString("Toolbar", "1"));
    EXPECT_EQ(machine.StringValue(SettingsKey, "Floating"), "0");
    EXPECT_EQ(store.StringValue(SettingsKey, "Floating"), "0");
    EXPECT_EQ(store.Keys[SettingsKey].count("Toolbar"), 0u);

    // Any other user's write lands in the store, where the next read finds it.
    machine.DenyWrites = true;
    EXPECT_TRUE(settings.WriteRegString("LogConnect", "1"));
    EXPECT_EQ(machine.Keys[SettingsKey].count("LogConnect"), 0u);
    EXPECT_EQ(settings.ReadRegString("LogConnect", "0"), "1");
    store.DenyAccess = true;
    EXPECT_FALSE(settings.WriteRegString("LogConnect", "0"));

    // A key that only the store has exists: a value missing from it reads empty.
    TMemoryRegistry emptyMachine;
    TSharedSettingsRegistry storeOnly(emptyMachine, store);
    store.DenyAccess = false;
    EXPECT_EQ(TSettingsStore(storeOnly).ReadRegString("Width", "default"), "");

    EXPECT_EQ(VirtualStoreKey(SettingsKey),
              "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Korvane Software\\Dravik");
}

} // namespace
