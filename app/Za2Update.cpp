// Program entry of the updater.
#include "install/FInpPath.h"
#include "app/DllSearch.h"
#include "app/FDoUpdate.h"
#include "app/FMain.h"
#include "imagepack/UPictureEX.h"
#include "bitmap/USafetyBitmap.h"
#include "dib/UDIBitmap.h"
#include "dib/UScreenColors.h"
#include "framework/ui/Application.h"

#include <windows.h>

namespace {

const char kApplicationTitle[] = "ザンデラ2.02アップデータ";

// The DIB graphic's drawing route, chosen from the platform.
struct TDrawRouteChosen {
    TDrawRouteChosen() { TDIBitmap::InitializeDrawRoute(); }
};

struct TJPEGFormats {
    TJPEGFormats() { RegisterSafetyJPEGFormats(); }
    ~TJPEGFormats() { UnregisterSafetyJPEGFormats(); }
    TJPEGFormats(const TJPEGFormats&) = delete;
    TJPEGFormats& operator=(const TJPEGFormats&) = delete;
};

// The picture library's start-up, in member order: the drawing route, the default palette
// realised on the screen, the picture formats; undone in reverse at the end.
struct TPictureModules {
    TDrawRouteChosen route;
    TScreenColorsModule colors;
    TSafetyBitmapFormats bitmapFormats;
    TJPEGFormats jpegFormats;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL by name: the program runs elevated from a folder that
    // anybody may have put files into.
    RestrictDllSearch();
    TPictureModules pictures;
    TApplication application;
    application.SetTitle(kApplicationTitle);
    TfrmMain::InputPathDialog = FormFactory<TfrmInputPath>();
    TfrmMain::DoUpdateDialog = FormFactory<TfrmDoUpdate>();
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
