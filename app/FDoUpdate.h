#pragma once
// The progress dialog: once on screen it decodes each payload file of the update list and stages
// it beside its target, stamped with the release time, three progress steps per file; then all
// the files take their targets' places together, or, on any failure, none does. It closes with
// OK, or reports the failure and closes with Cancel.
#include "framework/ui/Form.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <string>

class TLabel;
class TProgressBar;
class TReadyNotifier;

// A target that is read-only; the message is the file's full path.
ZA2_EXCEPTION_KIND(EReadOnly, Exception);

class TfrmDoUpdate : public TForm {
public:
    explicit TfrmDoUpdate(TComponent* owner);
    ZA2_CLASS_NAME(TfrmDoUpdate)

    void FormCreate(TObject* sender);
    void ReadyNotifier1Ready(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);

    // Stages every file of the update list, then replaces all the targets or none. Each staged
    // file gets the release stamp through StampFile (LocalFileTime.h).
    void UpdateFiles();
    // Appends the decoded contents of the named resource of the program's module to dest
    // (ReadResourcePayload, UZLIB.h).
    void ReadPayload(TMemoryStream& dest, const std::string& resName, const char* resType);
    // Raises EReadOnly when the file is read-only (IsReadOnly, FileReplace.h); a file held open
    // is found when it is staged.
    void CheckWritable(const std::string& path);
    void ApplicationException(TObject* sender, const std::exception& e);

protected:
    // Each progress position of the run passes here (tests watch it). The last one comes after
    // the last file is decoded and checked, before it is staged and all are put in place.
    virtual void ShowProgress(int position);

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TReadyNotifier* ReadyNotifier1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
};
