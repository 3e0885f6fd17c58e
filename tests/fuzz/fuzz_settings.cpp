// Reading the settings over whatever another program (or an older viewer)
// left in the registry: any data of any length, the key or the value absent,
// access refused; then writing a value and reading it back.
#include <string>

#include "FuzzInput.h"
#include "fakes/MemoryRegistry.h"
#include "shell/SettingsStore.h"

namespace {
const std::size_t BufferSize = 254;

std::string UpToZero(const std::string& data) {
    return data.substr(0, data.find('\0'));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t shape = input.Byte();
    const bool keyExists = shape & 1;
    const bool valueExists = shape & 2;
    const std::string defaultValue = input.Bytes(input.Byte() % 32);
    const std::string stored = input.Rest();

    TMemoryRegistry registry;
    registry.DenyAccess = shape & 4;
    if (keyExists) {
        registry.Keys[SettingsKey]["Neighbour"] = "other";
        if (valueExists)
            registry.Keys[SettingsKey]["LogFile"] = stored;
    }
    TSettingsStore settings(registry);

    std::string expected;
    if (!keyExists || registry.DenyAccess)
        expected = defaultValue;
    else if (valueExists && stored.size() <= BufferSize)
        expected = UpToZero(stored);
    std::string value = "left over from before";
    settings.ReadRegString("LogFile", defaultValue, value);
    Check(value == expected, "ReadRegString",
          "key " + std::to_string(keyExists) + ", value " + std::to_string(valueExists) + ", denied " +
              std::to_string(registry.DenyAccess) + ", data " + Hex(stored) + "\n  expected " +
              Hex(expected) + ", got " + Hex(value));

    // A written value comes back as far as its first zero, unless it is too
    // long for the buffer with its terminating zero.
    const bool written = settings.WriteRegString("LogFile", stored);
    std::string expectedBack = defaultValue;
    if (written)
        expectedBack = stored.size() + 1 <= BufferSize ? UpToZero(stored) : std::string();
    Check(settings.ReadRegString("LogFile", defaultValue) == expectedBack, "a written value reads back",
          "data " + Hex(stored));
    return 0;
}
