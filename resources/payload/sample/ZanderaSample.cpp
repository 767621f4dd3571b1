// The sample release's ZANDERA2.EXE: a stand-in for the real program, built from our own source
// so that the project can be built and tested without the real release. It only says which
// release it is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr, "ザンデラ2 2.02", "ザンデラ2", MB_OK | MB_ICONINFORMATION);
    return 0;
}
