#include "Arguments.h"

#include <cstddef>

const char* const kUsage =
    "usage: dravik-send [--timeout MS] [--utf8] TEXT...   print the words as one line\n"
    "       dravik-send [--timeout MS] [--utf8] -         print each line of standard input\n"
    "       dravik-send [--timeout MS] --clear | --load FILE | --save FILE | --setlog FILE\n"
    "       dravik-send --help\n"
    "Use -- before a text that begins with --. The timeout (default 2000 ms, or the\n"
    "DRAVIK_TIMEOUT_MS environment variable) bounds the wait for the viewer.\n"
    "--utf8 sends the text in UTF-8: the words as typed, whatever the system's code\n"
    "page can hold, or standard input read as UTF-8. The viewer keeps it exactly in\n"
    "its history.\n"
    "Exit codes: 0 sent, 1 bad usage, 2 no viewer running, 3 viewer did not answer,\n"
    "4 other failure.\n";

namespace {

const std::size_t kMaxFileName = 4094; // what the shared region holds

bool ParseTimeout(const std::string& text, unsigned& ms) {
    // Digits only, and at most nine of them: no sign, no overflow, and a bound that still means "give up".
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    ms = static_cast<unsigned>(std::stoul(text));
    return ms > 0;
}

bool TakesFileName(const std::string& arg, Action& action) {
    if (arg == "--load")
        action = Action::Load;
    else if (arg == "--save")
        action = Action::Save;
    else if (arg == "--setlog")
        action = Action::SetLog;
    else
        return false;
    return true;
}

} // namespace

bool ParseArguments(const std::vector<std::string>& args, Arguments& parsed, std::string& error) {
    parsed = Arguments();
    bool haveCommand = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        Action fileAction = Action::Print;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            parsed.action = Action::Help;
            return true;
        }
        if (arg == "--timeout") {
            if (i + 1 == args.size() || !ParseTimeout(args[i + 1], parsed.timeoutMs)) {
                error = "--timeout needs a number of milliseconds from 1 to 999999999";
                return false;
            }
            ++i;
            continue;
        }
        if (arg == "--utf8") {
            parsed.utf8 = true;
            continue;
        }
        if (arg == "--") {
            ++i;
            break;
        }
        bool isCommand = arg == "-" || arg == "--clear" || TakesFileName(arg, fileAction);
        if (!isCommand && arg.compare(0, 2, "--") == 0) {
            error = "unknown option " + arg;
            return false;
        }
        if (haveCommand) {
            error = isCommand ? "only one command at a time" : "unexpected argument " + arg;
            return false;
        }
        if (!isCommand)
            break; // the text starts here
        haveCommand = true;
        if (arg == "-")
            parsed.action = Action::PrintStdin;
        else if (arg == "--clear")
            parsed.action = Action::Clear;
        else {
            if (i + 1 == args.size()) {
                error = arg + " needs a file name";
                return false;
            }
            parsed.action = fileAction;
            parsed.text = args[++i];
            if (parsed.text.size() > kMaxFileName) {
                error = "file name too long (" + std::to_string(parsed.text.size()) +
                        " characters; at most " + std::to_string(kMaxFileName) + ")";
                return false;
            }
        }
    }
    if (haveCommand) {
        if (i < args.size()) {
            error = "unexpected argument " + args[i];
            return false;
        }
        if (parsed.utf8 && parsed.action != Action::PrintStdin) {
            error = "--utf8 goes with a text to print or -";
            return false;
        }
        return true;
    }
    if (i == args.size()) {
        error = "nothing to send";
        return false;
    }
    parsed.action = Action::Print;
    for (std::size_t first = i; i < args.size(); ++i) {
        if (i > first)
            parsed.text += ' ';
        parsed.text += args[i];
    }
    return true;
}
