// The platform's help viewers. The rules for choosing one and building the
// locator are the program's own (config/help.h); these only hand it over.
#pragma once

#include <cstdint>
#include <string>

// Loads the HTML help viewer, once, at start-up; failure leaves it unavailable.
void initHelpViewer();

// What initHelpViewer found: no help library, the library without an entry
// that shows HTML help, or a library that can show a locator.
enum class HelpLibrary { none, withoutHtmlHelp, withHtmlHelp };
HelpLibrary helpLibrary();

// Shows the locator ("file" or "file::/topic"); the viewer's window, or 0.
intptr_t showHtmlHelp(const std::string& locator);

// Closes every HTML help window the program opened.
void closeHtmlHelp();

// The classic viewer: an empty topic shows the contents, otherwise the keyword.
void showClassicHelp(const std::string& file, const std::string& topic);
void closeClassicHelp();
