#include "shell/history/HistoryPart.h"

#include "shell/SettingsStore.h"
#include "shell/history/HistoryLimit.h"
#include "shell/history/HistoryNames.h"
#include "shell/history/HistoryWriter.h"

std::string THistoryPart::Start(const std::string& logFile) {
    const std::uint64_t limit =
        HistoryLimitBytes(FSettings.ReadRegString(HistoryLimitSetting, DefaultHistoryLimit));
    if (!FStore.Start(limit))
        return HistoryFailureLine(HistoryFolderFor(logFile), "its writer could not be started");
    FStore.UseLogFile(logFile);
    return std::string();
}

std::vector<std::string> THistoryPart::TakeNotices() {
    std::vector<std::string> notices;
    FStore.TakeNotices(notices);
    return notices;
}
