#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "channel/ProcessNames.h"
#include "common/TextCodes.h"
#include "common/Utf8.h"
#include "shell/history/HistoryStore.h"

// The history's store that keeps what the viewer handed over, as it was handed over.
class TMemoryHistoryStore : public IHistoryStore {
  public:
    bool Start(std::uint64_t limitBytes) override {
        Limit = limitBytes;
        Started = !Refuses;
        return Started;
    }
    void UseLogFile(const std::string& logFile) override { LogFiles.push_back(logFile); }
    void Add(const TReceivedLine& line) override {
        if (Started && !Stopped)
            Lines.push_back(line);
    }
    void TakeNotices(std::vector<std::string>& notices) override {
        notices.insert(notices.end(), Notices.begin(), Notices.end());
        Notices.clear();
    }
    void Stop() override { Stopped = true; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TReceivedLine& line : Lines)
            texts.push_back(line.Text);
        return texts;
    }

    bool Refuses = false;
    bool Started = false;
    bool Stopped = false;
    std::uint64_t Limit = 0;
    std::vector<std::string> LogFiles;
    std::vector<TReceivedLine> Lines;
    std::vector<std::string> Notices;
};

// Processes by id, each with its name and the second of the minute it started at: a message taken before
// that gets no name.
class TMemoryProcessNames : public IProcessNames {
  public:
    struct TProcess {
        std::string Name;
        int StartedSecond = 0;
    };
    const std::string& NameOf(std::uint32_t processId, const TLineTime& taken) override {
        const auto process = Processes.find(processId);
        if (process == Processes.end() || taken.Second < process->second.StartedSecond)
            return FNone;
        return process->second.Name;
    }

    std::map<std::uint32_t, TProcess> Processes;

  private:
    const std::string FNone;
};

// UTF-8 to code page 1252 for the letters the tests use: a code point below 0x100 is its byte, anything
// else "?".
class TLatin1FromUtf8 : public IFromUtf8 {
  public:
    void Convert(std::string_view utf8, std::string& codePageText) override {
        codePageText.clear();
        for (std::size_t at = 0; at < utf8.size();) {
            std::size_t length = 1;
            const char32_t code = DecodeUtf8(utf8.data() + at, utf8.data() + utf8.size(), length);
            codePageText.push_back(code < 0x100 ? static_cast<char>(code) : '?');
            at += length;
        }
    }
};
