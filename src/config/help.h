// Which help viewer gets a help file, and the locator it is given.
#pragma once

#include <cstdint>
#include <string>

// The locator for the HTML help viewer: the file, then "::/" and the topic
// when there is one.
std::string helpLocator(const std::string& file, const std::string& topic);

// True for a classic help file: a name longer than 4 characters ending in
// ".hlp" in any case.
bool isClassicHelpFile(const std::string& file);

intptr_t openHelp(const std::string& file, const std::string& topic);
void closeHelp();
