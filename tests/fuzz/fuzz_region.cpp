// The region reader against whatever a client may have left in the region:
// any size a client could have created the object with, any bytes, with or
// without a zero. The stand-in's bytes are an exactly sized vector, so a read
// past the region is caught by AddressSanitizer.
#include <cctype>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "channel/MapList.h"
#include "fakes/MemorySharedMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::size_t regionSize = input.Word() % 8193;
    const std::uint8_t filler = input.Byte();
    const std::uint8_t keyChoice = input.Byte();

    TMemorySharedMemory memory;
    std::vector<unsigned char>& bytes = memory.Precreate(RegionName, regionSize);
    const std::string contents = input.Rest();
    for (std::size_t i = 0; i < regionSize; ++i)
        bytes[i] = i < contents.size() ? static_cast<unsigned char>(contents[i]) : filler;

    TMapList maps(memory);
    Check(maps.CreateMap("MSG_PARAM", 4096), "CreateMap opens a region a client created first");

    // The key is looked up without regard to letter case; any other key
    // leaves the caller's text alone.
    std::string key = "MSG_PARAM";
    for (std::size_t i = 0; i < key.size(); ++i)
        if (keyChoice & (1u << (i % 8)))
            key[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[i])));
    const bool otherKey = keyChoice == 0xFF;
    if (otherKey)
        key = "MSG_PARAM2";

    std::string text = "left over from before";
    maps.ReadMap(key, text);

    if (otherKey) {
        Check(text == "left over from before", "an unknown key leaves the text untouched");
        return 0;
    }
    std::string expected;
    for (std::size_t i = 1; i < regionSize && bytes[i] != 0; ++i)
        expected += static_cast<char>(bytes[i]);
    Check(text == expected, "the text runs from offset 1 to the first zero or the end of the region",
          "region of " + std::to_string(regionSize) + " bytes, expected " + Hex(expected) + ", got " +
              Hex(text));
    return 0;
}
