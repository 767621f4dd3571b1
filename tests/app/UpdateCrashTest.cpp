// The update run ended abruptly before each step by which it changes the folder (a child process
// that the step observer ends with TerminateProcess), then the next run: one whole release, byte
// for byte and stamped, and no other file. The _win98 run's children run as the same program,
// so both families go through the table.
#include "UpdateRunFixture.h"

#include "app/FileSteps.h"
#include "app/UpdateRecovery.h"
#include "framework/core/FileHandle.h"

#include <cstdlib>

using namespace update_run;

namespace {

const char kStepVariable[] = "ZA2_CRASH_STEP";
const char kFolderVariable[] = "ZA2_CRASH_FOLDER";
const DWORD kEndedAbruptly = 0xDEAD;
const DWORD kChildWaitMs = 60000;

// README.TXT is not installed: the update creates it, so a file without a backup is swapped too.
const std::vector<std::string> kInstalled = {"ZANDERA2.EXE", "ZANDERA2.HLP", "ZANDERA2.PPR"};
// The steps of the update of such an installation; the journal's move from ZA2UPD.SWP is the
// moment the new release stands.
const std::vector<std::string> kSteps = {
    "Flush ZA2UPD.NEW",   "Move ZA2UPD.NEW",    "Flush ZA2N0000.TMP", "Flush ZA2N0001.TMP",
    "Flush ZA2N0002.TMP", "Flush ZA2N0003.TMP", "Move ZA2UPD.JNL",    "Move ZANDERA2.EXE",
    "Move ZA2N0000.TMP",  "Move ZANDERA2.HLP",  "Move ZA2N0001.TMP",  "Move ZANDERA2.PPR",
    "Move ZA2N0002.TMP",  "Move ZA2N0003.TMP",  "Move ZA2UPD.SWP",    "Delete ZA2B0000.TMP",
    "Delete ZA2B0001.TMP", "Delete ZA2B0002.TMP", "Delete ZA2UPD.JNL"};
const size_t kCommitStep = 15;

std::string StepText(TFileStep step, const std::string& path)
{
    static const char* const kinds[] = {"Flush ", "Move ", "Delete "};
    return kinds[static_cast<int>(step)] + path.substr(path.rfind('\\') + 1);
}

class UpdateCrash : public UpdateRunTest {
protected:
    // This program again, running only the child test, which ends itself before step `step`
    // (1 for the first); its exit code.
    DWORD RunChild(size_t step)
    {
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string command = std::string("\"") + exe + "\" --gtest_filter=UpdateCrash.Child";
        SetEnvironmentVariableA(kStepVariable, std::to_string(step).c_str());
        SetEnvironmentVariableA(kFolderVariable, folder_.Path().c_str());
        SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
        TFileHandle quiet(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited,
                                      OPEN_EXISTING, 0, nullptr));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = quiet.Get();
        PROCESS_INFORMATION child = {};
        const BOOL started = CreateProcessA(exe, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &child);
        SetEnvironmentVariableA(kStepVariable, nullptr);
        EXPECT_TRUE(started);
        TFileHandle process(started ? child.hProcess : INVALID_HANDLE_VALUE);
        TFileHandle thread(started ? child.hThread : INVALID_HANDLE_VALUE);
        DWORD code = 0;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), kChildWaitMs));
        GetExitCodeProcess(process.Get(), &code);
        return code;
    }
    void InstallOldRelease()
    {
        for (const std::string& name : folder_.Names())
            DeleteFileA(folder_.File(name).c_str());
        stamps_.clear();
        for (const std::string& name : kInstalled) {
            folder_.Write(name, OldBytes(name));
            stamps_.push_back(LastWriteTime(folder_.File(name)));
        }
    }
    void ExpectOldRelease() const
    {
        EXPECT_EQ(kInstalled, folder_.Names());
        for (size_t i = 0; i < kInstalled.size(); ++i) {
            const FILETIME stamp = LastWriteTime(folder_.File(kInstalled[i]));
            EXPECT_EQ(OldBytes(kInstalled[i]), folder_.Read(kInstalled[i]));
            EXPECT_EQ(0, CompareFileTime(&stamps_[i], &stamp)) << kInstalled[i];
        }
    }
    std::vector<FILETIME> stamps_;
};

} // namespace

// Started by the test below: the update, ended before the step it names.
TEST_F(UpdateCrash, Child)
{
    const char* step = std::getenv(kStepVariable);
    if (!step)
        GTEST_SKIP() << "the child of UpdateCrash.EveryStepEndsInOneWholeRelease";
    TargetFolder = std::getenv(kFolderVariable);
    RemoveDirectoryA(folder_.Path().c_str());  // the fixture's own: nothing removes it after the end
    int seen = 0;
    SetFileStepObserver([&seen, at = std::atoi(step)](TFileStep, const std::string&) {
        if (++seen == at)
            TerminateProcess(GetCurrentProcess(), kEndedAbruptly);
        return true;
    });
    Run();
}

TEST_F(UpdateCrash, EveryStepEndsInOneWholeRelease)
{
    std::vector<std::string> steps;
    SetFileStepObserver([&steps](TFileStep step, const std::string& path) {
        steps.push_back(StepText(step, path));
        return true;
    });
    InstallOldRelease();
    ASSERT_EQ(mrOk, Run());
    SetFileStepObserver(nullptr);
    ASSERT_EQ(kSteps, steps);

    const std::vector<std::string> names(std::begin(kNames), std::end(kNames));
    for (size_t step = 1; step <= kSteps.size() + 1; ++step) {
        SCOPED_TRACE(step <= kSteps.size() ? "ended before " + kSteps[step - 1] : "not ended");
        InstallOldRelease();
        EXPECT_EQ(step <= kSteps.size() ? kEndedAbruptly : 0, RunChild(step));
        RecoverInterruptedUpdate(folder_.Path(), names);
        if (step > kCommitStep) {
            ExpectNewInstallation(folder_);
            continue;
        }
        ExpectOldRelease();
        // The update then goes on as on any old installation.
        EXPECT_EQ(mrOk, Run());
        ExpectNewInstallation(folder_);
    }
}
