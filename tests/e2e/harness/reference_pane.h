#pragma once

#include <string>

namespace e2e {

// The pane as the capacity rule and the append rule make it, written out plainly: what the viewer's pane
// must hold after the same prints.
class ReferencePane {
  public:
    void Print(const std::string& text);
    // Keys the user types at the end of the pane.
    void Type(const std::string& keys) { text_ += keys; }
    // The pane saved into a file and loaded from it again: every lone CR and lone LF becomes CR LF.
    void SaveAndLoad();
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

} // namespace e2e
