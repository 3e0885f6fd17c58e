#include <gtest/gtest.h>

#include <string>

#include "ViewerParts.h"
#include "pane/MessagePane.h"

namespace {

class WriteProbeTest : public ::testing::Test {
  protected:
    WriteProbeTest() {
        Files.Directories.insert({"C:\\Logs\\", "C:\\Logs\\Old", "C:\\Logs\\Old\\"});
        Files.Files["C:\\Logs\\run.txt"] = "yesterday\r\n";
        Files.Files["C:\\Logs\\Old\\inside.txt"] = "inside";
    }

    TMemoryFileSystem Files;
};

TEST_F(WriteProbeTest, AnExistingFileIsProbedWithoutBeingChanged) {
    EXPECT_TRUE(CanWriteFile(Files, "C:\\Logs\\run.txt"));
    Files.ReadOnly.insert("C:\\Logs\\run.txt");
    EXPECT_FALSE(CanWriteFile(Files, "C:\\Logs\\run.txt"));
    Files.ReadOnly.clear();
    Files.Locked.insert("C:\\Logs\\run.txt");
    EXPECT_FALSE(CanWriteFile(Files, "C:\\Logs\\run.txt"));
    EXPECT_EQ(Files.Files["C:\\Logs\\run.txt"], "yesterday\r\n");
    EXPECT_TRUE(Files.RemoveCount.empty());
}

TEST_F(WriteProbeTest, ACreatableNewNameIsAcceptedAndLeavesNoFileBehind) {
    EXPECT_TRUE(CanWriteFile(Files, "C:\\Logs\\new.txt"));
    EXPECT_EQ(Files.Files.count("C:\\Logs\\new.txt"), 0u);
    EXPECT_EQ(Files.RemoveCount["C:\\Logs\\new.txt"], 1);
}

TEST_F(WriteProbeTest, NamesThatCannotBeCreatedAreRejectedWithoutDeletingAnything) {
    EXPECT_FALSE(CanWriteFile(Files, "C:\\no\\such\\dir\\x.txt"));
    EXPECT_FALSE(CanWriteFile(Files, "C:\\Logs\\Old"));
    EXPECT_EQ(Files.Directories.count("C:\\Logs\\Old"), 1u);
    EXPECT_EQ(Files.Files["C:\\Logs\\Old\\inside.txt"], "inside");
    EXPECT_TRUE(Files.RemoveCount.empty());
}

// Another program creates the file between the probe's existence test and its own creation attempt.
class TRacingFileSystem : public TMemoryFileSystem {
  public:
    bool CreateNewFile(const std::string& name) override {
        Files[name] = "written by another program";
        return TMemoryFileSystem::CreateNewFile(name);
    }
};

TEST(WriteProbeRaceTest, AFileTheProbeDidNotCreateIsNeverDeleted) {
    TRacingFileSystem files;
    EXPECT_FALSE(CanWriteFile(files, "C:\\race.txt"));
    EXPECT_EQ(files.Files["C:\\race.txt"], "written by another program");
    EXPECT_TRUE(files.RemoveCount.empty());
}

} // namespace
