// The example programs, built from examples/, run as a user would run them.
#include "client_tests.h"

#include <vector>

namespace e2e {

namespace {

// Runs a program from this folder and returns its exit code, or -1 when it did not start or end in time.
int RunSibling(const std::string& program) {
    const StartedProgram process("\"" + OwnFolder() + program + "\"");
    return process.Wait(15000) ? static_cast<int>(process.ExitCode()) : -1;
}

void ExamplesPrintThroughTheHeader() {
    NullViewer viewer;
    if (!CHECK(viewer.Start(Scratch() + "examples.txt")))
        return;
    CHECK_EQ(RunSibling("example-c.exe"), 0);
    CHECK_EQ(RunSibling("example-cpp.exe"), 0);
    const std::vector<std::string> records = viewer.Records();
    const std::vector<std::string> fromC = {"PRINT example-c: hello from C", "PRINT example-c: line 1 of 3",
                                            "PRINT example-c: line 2 of 3", "PRINT example-c: line 3 of 3",
                                            "PRINTUTF8 example-c: wide text, caf\xC3\xA9"};
    if (!CHECK(records.size() > fromC.size()))
        return;
    // "LogConnect" may make each example announce itself first; what follows is fixed.
    std::vector<std::string> cLines;
    for (const std::string& record : records)
        if (record.find(" example-c:") != std::string::npos && record.find("connected") == std::string::npos)
            cLines.push_back(record);
    CHECK_EQ(cLines, fromC);
    bool cppPrinted = false;
    for (const std::string& record : records)
        cppPrinted = cppPrinted || record.compare(0, 18, "PRINT example-cpp:") == 0;
    CHECK(cppPrinted);
}

void ExamplesReportAMissingViewer() {
    if (!CHECK(FindWindowA("TfrmDebug", "Korvane Dravik") == nullptr)) // needs a desktop without a viewer
        return;
    CHECK_EQ(RunSibling("example-c.exe"), 2);
    CHECK_EQ(RunSibling("example-cpp.exe"), 2);
}

} // namespace

void RunExampleTests() {
    RunTest("the example programs print through the header", ExamplesPrintThroughTheHeader);
    RunTest("the example programs report a missing viewer", ExamplesReportAMissingViewer);
}

} // namespace e2e
