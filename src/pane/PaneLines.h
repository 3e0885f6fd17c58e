#pragma once

#include <string>

class IPaneControl;

// Appends text as the new last line. A pane whose last line has no line
// break yet (typed by the user, or loaded without a final CR LF) gets the
// break in front of the text instead, and again ends without one.
void AppendLine(IPaneControl& pane, const std::string& text);

// Puts text followed by CR LF before the first character of the pane.
void InsertLineAtTop(IPaneControl& pane, const std::string& text);
