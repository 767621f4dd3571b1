#include "app/FDoUpdate.h"

#include "app/AppStrings.h"
#include "app/FileReplace.h"
#include "app/FMain.h"
#include "app/Pathutil.h"
#include "app/Rdynotfy.h"
#include "app/UMessage.h"
#include "payload/UZLIB.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Application.h"
#include "framework/ui/Label.h"
#include "framework/ui/ProgressBar.h"
#include "framework/core/ResText.h"

#include <windows.h>

#include <vector>

namespace {

const int kStepsPerFile = 3;

// "ZANDERA2.EXE" is stored as ZANDERA2_EXE.
std::string ResourceNameOf(const std::string& fileName)
{
    std::string name = fileName;
    std::string::size_type dot = name.find('.');
    if (dot != std::string::npos)
        name[dot] = '_';
    return name;
}

} // namespace

TfrmDoUpdate::TfrmDoUpdate(TComponent* owner) : TForm(owner)
{
    RegisterReadyNotifierKind();
    AddHandler("FormCreate", &TfrmDoUpdate::FormCreate);
    AddHandler("ReadyNotifier1Ready", &TfrmDoUpdate::ReadyNotifier1Ready);
    AddHandler("FormCloseQuery", &TfrmDoUpdate::FormCloseQuery);
    AddField("Label1", Label1);
    AddField("Label2", Label2);
    AddField("ReadyNotifier1", ReadyNotifier1);
    AddField("ProgressBar1", ProgressBar1);
    ReadLayoutResource(*this, "TFRMDOUPDATE");
}

void TfrmDoUpdate::FormCreate(TObject*)
{
    SetCaption(Application->Title());
}

void TfrmDoUpdate::ReadyNotifier1Ready(TObject*)
{
    Application->SetOnException(
        [this](TObject* sender, const std::exception& e) { ApplicationException(sender, e); });
    SetModalResult(mrCancel);
    Repaint();
    UpdateFiles();
    SetModalResult(mrOk);
}

void TfrmDoUpdate::FormCloseQuery(TObject*, bool& canClose)
{
    Application->SetOnException(nullptr);
    canClose = true;
}

void TfrmDoUpdate::ShowProgress(int position)
{
    ProgressBar1->SetPosition(position);
}

void TfrmDoUpdate::UpdateFiles()
{
    TMemoryStream work;
    const std::vector<std::string> names = frmMain->UpdateList();
    const int count = static_cast<int>(names.size());
    ProgressBar1->SetMax(kStepsPerFile * count);
    if (count == 0)
        return;
    // A stamp that cannot be converted must stop the run before anything is written.
    const TDateTime stamp = frmMain->TimeStamp();
    // Nothing is replaced until every file is staged: a failure on any file must not leave a
    // mixed installation, which the version gate would then refuse to repair.
    TStagedFiles files(TargetFolder, names);
    for (int i = 0; i < count; ++i) {
        work.Clear();
        const std::string path = JoinPath(TargetFolder, names[i]);
        ShowProgress(kStepsPerFile * i + 1);
        ReadPayload(work, ResourceNameOf(names[i]), RT_RCDATA);
        ShowProgress(kStepsPerFile * i + 2);
        CheckWritable(path);
        ShowProgress(kStepsPerFile * i + 3);
        files.Stage(names[i], work.Memory(), work.Size(), &stamp);
    }
    work.Clear();
    files.Commit();
}

void TfrmDoUpdate::ReadPayload(TMemoryStream& dest, const std::string& resName,
                               const char* resType)
{
    ReadResourcePayload(dest, GetModuleHandleA(nullptr), resName.c_str(), resType);
}

void TfrmDoUpdate::CheckWritable(const std::string& path)
{
    if (IsReadOnly(path))
        throw EReadOnly(path);
}

void TfrmDoUpdate::ApplicationException(TObject*, const std::exception& e)
{
    unsigned id = dynamic_cast<const EReadOnly*>(&e) ? SReadOnlyFile : SUnexpectedError;
    WarningBox(FormatResText(id, {e.what()}));
}
