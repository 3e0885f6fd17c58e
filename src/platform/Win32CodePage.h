#pragma once

#include <string>
#include <string_view>

#include "common/TextCodes.h"
#include "shell/history/HistoryHandOver.h"

// Text in the system's code page (the ANSI code page, as the pane holds it) to UTF-8, through UTF-16. Keeps
// its buffers between lines, so a line of usual length costs no allocation.
class TWin32ToUtf8 : public IToUtf8 {
  public:
    void Convert(std::string_view codePageText, std::string& utf8) override;

  private:
    std::wstring FWide;
};

// UTF-8 to the system's code page, with "?" for each character it cannot hold (never a look-alike) and
// for each byte that is no UTF-8.
class TWin32FromUtf8 : public IFromUtf8 {
  public:
    void Convert(std::string_view utf8, std::string& codePageText) override;

  private:
    std::wstring FWide;
};
