#include "startup/program.h"

#include "config/dialog.h"
#include "config/help.h"
#include "platform/help_services.h"
#include "picture/drawing.h"
#include "picture/images.h"
#include "platform/process_services.h"
#include "platform/window_services.h"
#include "resources/about_banner.h"
#include "show/show.h"
#include "tartan/catalogue.h"
#include "tartan/text.h"
#include "tartan/weave.h"

void dispatchMode(SaverMode mode) {
    switch (mode) {
    case SaverMode::show:
        runShow();
        break;
    case SaverMode::configure:
        runSettingsDialog();
        break;
    case SaverMode::preview:
    case SaverMode::password:
    case SaverMode::none:
        break;
    }
}

void endProgram() {
    freeAllImages();
    closeHelp();
    closeAllWindows();
    exitProcess();
}

void hostedProgramMain(const HostRequest& request) {
    initDrawing();
    initImages();
    runHostedShow(request);
}

void programMain() {
    initDrawing();
    initWindowServices();
    initControlServices();
    initHelpViewer();
    initImages();
    initCommonControls();
    tartanCatalogue();
    weavePattern();
    loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    dispatchMode(modeFromCommandLine());
    endProgram();
}
