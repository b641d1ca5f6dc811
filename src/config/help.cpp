#include "config/help.h"

#include "platform/help_services.h"
#include "tartan/text.h"

namespace {

bool lastHelpWasClassic = false;

}  // namespace

std::string helpLocator(const std::string& file, const std::string& topic) {
    return topic.empty() ? file : file + "::/" + topic;
}

bool isClassicHelpFile(const std::string& file) {
    return textLength(file) > 4 && upperCaseText(rightText(file, 4)) == ".HLP";
}

intptr_t openHelp(const std::string& file, const std::string& topic) {
    lastHelpWasClassic = false;
    if (isClassicHelpFile(file)) {
        lastHelpWasClassic = true;
        showClassicHelp(file, topic);
        return 0;
    }
    if (helpLibrary() != HelpLibrary::withHtmlHelp) return 0;
    return showHtmlHelp(helpLocator(file, topic));
}

void closeHelp() {
    const HelpLibrary library = helpLibrary();
    if (library == HelpLibrary::none) return;
    if (lastHelpWasClassic)
        closeClassicHelp();
    else if (library == HelpLibrary::withHtmlHelp)
        closeHtmlHelp();
}
