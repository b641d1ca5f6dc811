#include "startup/program.h"

#include "platform/process_services.h"
#include "tartan/text.h"

namespace {

int argumentsHandedOut = 0;

}  // namespace

std::string commandLineArgument(const std::string& commandLine, int index) {
    size_t at = 0;
    const size_t end = commandLine.size();
    for (int token = -1; at < end; ++token) {
        while (at < end && commandLine[at] == ' ') ++at;
        if (at >= end) break;
        size_t begin;
        size_t stop;
        if (commandLine[at] == '"') {
            begin = at + 1;
            stop = commandLine.find('"', begin);
            if (stop == std::string::npos) stop = end;
            at = stop < end ? stop + 1 : end;
        } else {
            begin = at;
            stop = commandLine.find(' ', begin);
            if (stop == std::string::npos) stop = end;
            at = stop;
        }
        if (token == index) return commandLine.substr(begin, stop - begin);
    }
    return std::string();
}

std::string nextProgramArgument() { return programArgument(argumentsHandedOut++); }

SaverMode modeFromArgument(const std::string& argument) {
    const std::string upper = upperCaseText(argument);
    const std::string modeText = leftText(removeOccurrences(upper, leftText(upper, 1)), 1);
    if (modeText == "S") return SaverMode::show;
    if (modeText == "C") return SaverMode::configure;
    if (modeText == "P") return SaverMode::preview;
    if (modeText == "A") return SaverMode::password;
    return SaverMode::none;
}

SaverMode modeFromCommandLine() { return modeFromArgument(nextProgramArgument()); }
