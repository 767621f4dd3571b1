#include "app/UMessage.h"

#include "framework/ui/Application.h"
#include "framework/ui/ModalBox.h"
#include "framework/core/AnsiText.h"

#include <windows.h>

namespace {

// Texts and caption are shown from buffers of 256 bytes; a cut never splits a character.
const std::size_t kMaxShownBytes = 255;

void ShowBox(const std::string& text, UINT flags)
{
    HWND owner = Application ? Application->Handle() : nullptr;
    ShowModalBox(owner, CutAtCharBoundary(text, kMaxShownBytes),
                 CutAtCharBoundary(MessageCaption(), kMaxShownBytes), flags);
}

} // namespace

std::string MessageCaption()
{
    return Application ? Application->Title() : std::string();
}

void WarningBox(const std::string& text)
{
    ShowBox(text, MB_OK | MB_ICONEXCLAMATION);
}

void NoticeBox(const std::string& text)
{
    ShowBox(text, MB_OK);
}
