// dravik-send's command line and its cutting of standard input into lines.
#include "client_tests.h"

#include "Arguments.h"
#include "LineSplitter.h"

#include <vector>

namespace e2e {

namespace {

struct Parsed {
    bool ok;
    Arguments arguments;
    std::string error;
};

Parsed Parse(const std::vector<std::string>& args) {
    Parsed parsed;
    parsed.ok = ParseArguments(args, parsed.arguments, parsed.error);
    return parsed;
}

bool Is(const Parsed& parsed, Action action, const std::string& text, unsigned timeoutMs = 0) {
    if (!parsed.ok)
        FAIL("refused: " + parsed.error);
    return parsed.ok && parsed.arguments.action == action && parsed.arguments.text == text &&
           parsed.arguments.timeoutMs == timeoutMs;
}

void TextArguments() {
    CHECK(Is(Parse({"Hello"}), Action::Print, "Hello"));
    CHECK(Is(Parse({"Hello", "", "world"}), Action::Print, "Hello  world")); // an empty word keeps its spaces
    CHECK(Is(Parse({""}), Action::Print, ""));
    CHECK(Is(Parse({"-5", "degrees"}), Action::Print, "-5 degrees"));
    CHECK(Is(Parse({"--", "--clear", "--x"}), Action::Print, "--clear --x"));
    CHECK(Is(Parse({"text", "--clear"}), Action::Print, "text --clear")); // options end where text begins
    CHECK(Is(Parse({"--timeout", "250", "a"}), Action::Print, "a", 250));
    CHECK(!Parse({"a"}).arguments.utf8);
    for (const Parsed& utf8 : {Parse({"--utf8", "\xCE\xA9", "b"}), Parse({"--timeout", "9", "--utf8", "-"})})
        CHECK(utf8.ok && utf8.arguments.utf8);
    CHECK(Is(Parse({"--utf8", "--", "--utf8"}), Action::Print, "--utf8"));
}

void CommandArguments() {
    CHECK(Is(Parse({"--clear"}), Action::Clear, ""));
    CHECK(Is(Parse({"--load", "in file.txt"}), Action::Load, "in file.txt"));
    CHECK(Is(Parse({"--save", "--clear"}), Action::Save, "--clear")); // a file name may look like an option
    CHECK(Is(Parse({"--setlog", "log.txt", "--timeout", "9"}), Action::SetLog, "log.txt", 9));
    CHECK(Is(Parse({"-"}), Action::PrintStdin, ""));
    CHECK(Is(Parse({"--save", std::string(4094, 'f')}), Action::Save, std::string(4094, 'f')));
    CHECK(Parse({"--clear", "--help"}).arguments.action == Action::Help);
    CHECK(Parse({"-h"}).arguments.action == Action::Help);
}

void BadUsage() {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--"},
        {"--timeout", "100"},
        {"--clear", "extra"},
        {"--clear", "--load", "a"},
        {"-", "-"},
        {"--load"},
        {"--save", std::string(4095, 'f')},
        {"--colour", "x"},
        {"--timeout"},
        {"--timeout", "0", "a"},
        {"--timeout", "-1", "a"},
        {"--timeout", "1000000000", "a"},
        {"--timeout", "12x", "a"},
        {"--utf8", "--clear"},
        {"--utf8", "--save", "a"},
    };
    for (const std::vector<std::string>& args : refused) {
        Parsed parsed = Parse(args);
        std::string line;
        for (const std::string& arg : args)
            line += (line.empty() ? "" : " ") + arg.substr(0, 20);
        CHECK_MSG(!parsed.ok && !parsed.error.empty(), "accepted: [" + line + "]");
    }
}

std::vector<std::string> Split(const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    LineSplitter splitter;
    auto collect = [&lines](const std::string& line) {
        lines.push_back(line);
        return true;
    };
    for (const std::string& chunk : chunks)
        splitter.Feed(chunk.data(), chunk.size(), collect);
    splitter.Finish(collect);
    return lines;
}

void StandardInputLines() {
    using Lines = std::vector<std::string>;
    CHECK_EQ(Split({}), Lines{});
    CHECK_EQ(Split({"a\r\nb\n"}), (Lines{"a", "b"}));
    CHECK_EQ(Split({"\n\r\n"}), (Lines{"", ""})); // empty lines print empty lines
    CHECK_EQ(Split({"no ending"}), Lines{"no ending"});
    CHECK_EQ(Split({"a\r", "\nb"}), (Lines{"a", "b"})); // CR LF split across reads
    CHECK_EQ(Split({"ab", "c", "\n", "d\r\n"}), (Lines{"abc", "d"}));
    CHECK_EQ(Split({"a\rb\n"}), Lines{"a\rb"}); // a lone CR inside a line is the line's own
    CHECK_EQ(Split({"tail\r"}), Lines{"tail"});
    CHECK_EQ(Split({std::string("z\0y\n", 4)}), Lines{std::string("z\0y", 3)});

    LineSplitter splitter;
    int seen = 0;
    auto stopAfterOne = [&seen](const std::string&) { return ++seen < 1; };
    CHECK(!splitter.Feed("1\n2\n3\n", 6, stopAfterOne));
    CHECK_EQ(seen, 1);
}

} // namespace

void RunSendToolTests() {
    RunTest("dravik-send: text arguments", TextArguments);
    RunTest("dravik-send: command arguments", CommandArguments);
    RunTest("dravik-send: bad usage is refused", BadUsage);
    RunTest("dravik-send: standard input lines", StandardInputLines);
}

} // namespace e2e
