#pragma once
// The progress dialog: once on screen it decodes each payload file of the update list, writes it
// into the target folder and stamps it with the release time, three progress steps per file.
// It closes with OK, or reports the failure and closes with Cancel.
#include "framework/DateTime.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/Stream.h"

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

    void UpdateFiles();
    // Appends the decoded contents of the named resource of the program's module to dest.
    void ReadPayload(TStream& dest, const std::string& resName, const char* resType);
    void CheckWritable(const std::string& path);
    void StampFile(const std::string& path);
    void ApplicationException(TObject* sender, const std::exception& e);

protected:
    // Each progress position of the run passes here (tests watch it).
    virtual void ShowProgress(int position);

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TReadyNotifier* ReadyNotifier1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;

private:
    // The release time, converted once before any file is touched.
    TDateTime FStamp = 0;
};
