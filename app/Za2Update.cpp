// Program entry of the updater.
#include "app/FMain.h"
#include "framework/Application.h"

#include <windows.h>

namespace {
const char kApplicationTitle[] = "ザンデラ2.02アップデータ";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TApplication application;
    application.SetTitle(kApplicationTitle);
    try {
        application.CreateForm<TfrmMain>();
    } catch (const std::exception& e) {
        // The main window could not be built (its layout, most likely): nothing to run.
        application.ShowException(e);
        return 1;
    }
    application.Run();
    return 0;
}
