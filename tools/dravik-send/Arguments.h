#pragma once

#include <string>
#include <vector>

enum class Action { Help, Print, PrintStdin, Clear, Load, Save, SetLog };

struct Arguments {
    Action action = Action::Print;
    std::string text;       // the line to print, or the file name
    unsigned timeoutMs = 0; // 0: the client library's own setting
    bool utf8 = false;      // the text to print is UTF-8
};

extern const char* const kUsage;

// Reads the command line without the program name. On bad usage returns false and says why in error.
bool ParseArguments(const std::vector<std::string>& args, Arguments& parsed, std::string& error);
