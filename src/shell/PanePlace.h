#pragma once

#include "pane/MessagePane.h"
#include "shell/LinePath.h"

// The pane as a place that takes every line: it shows the line's origin in
// front of its text, where the origin is not the viewer or a client, and
// applies the capacity rule.
class TPanePlace : public ILinePlace {
  public:
    explicit TPanePlace(TMessagePane& pane) : FPane(pane) {}
    void Take(const TReceivedLine& line) override;

  private:
    TMessagePane& FPane;
};

// What the pane shows in front of a line's text: "[4711] " for a process's
// debug output, "[host app pid] " for the network, nothing for the rest.
std::string PanePrefix(const TLineOrigin& origin);
