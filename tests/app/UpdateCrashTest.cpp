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

class UpdateCrash : public UpdateRunTest {
protected:
    // This program again, running this test as the child, which ends itself before step `step`
    // (1 for the first); its exit code.
    DWORD RunChild(size_t step)
    {
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string command =
            std::string("\"") + exe + "\" --gtest_brief=1 --gtest_filter=UpdateCrash.*";
        SetEnvironmentVariableA(kStepVariable, std::to_string(step).c_str());
        SetEnvironmentVariableA(kFolderVariable, folder_.Path().c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        EXPECT_TRUE(CreateProcessA(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &child));
        SetEnvironmentVariableA(kStepVariable, nullptr);
        TFileHandle process(child.hProcess), thread(child.hThread);
        DWORD code = 0;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), kChildWaitMs));
        GetExitCodeProcess(process.Get(), &code);
        return code;
    }
    // Each file of the folder: its name, last-write time and bytes.
    std::vector<std::string> State() const
    {
        std::vector<std::string> state;
        for (const std::string& name : folder_.Names())
            state.push_back(name + " " + LocalStamp(folder_.File(name)) + " " + folder_.Read(name));
        return state;
    }
    // In the child: the update, ended before the given step.
    void RunUntil(int step)
    {
        TargetFolder = std::getenv(kFolderVariable);
        RemoveDirectoryA(folder_.Path().c_str());  // the fixture's own, left by the abrupt end
        int seen = 0;
        SetFileStepObserver([&seen, step](TFileStep, const std::string&) {
            if (++seen == step)
                TerminateProcess(GetCurrentProcess(), kEndedAbruptly);
            return true;
        });
        Run();
    }
    std::vector<std::string> InstallOldRelease() const
    {
        for (const std::string& name : folder_.Names())
            DeleteFileA(folder_.File(name).c_str());
        for (const std::string& name : kInstalled)
            folder_.Write(name, OldBytes(name));
        return State();
    }
};

} // namespace

TEST_F(UpdateCrash, EveryStepEndsInOneWholeRelease)
{
    if (const char* step = std::getenv(kStepVariable))
        return RunUntil(std::atoi(step));  // the child
    std::vector<std::string> steps;
    SetFileStepObserver([&steps](TFileStep step, const std::string& path) {
        static const char* const kinds[] = {"Flush ", "Move ", "Delete "};
        steps.push_back(kinds[static_cast<int>(step)] + path.substr(path.rfind('\\') + 1));
        return true;
    });
    InstallOldRelease();
    ASSERT_EQ(mrOk, Run());
    SetFileStepObserver(nullptr);
    ASSERT_EQ(kSteps, steps);

    const std::vector<std::string> names(std::begin(kNames), std::end(kNames));
    for (size_t step = 1; step <= kSteps.size() + 1; ++step) {
        SCOPED_TRACE(step <= kSteps.size() ? "ended before " + kSteps[step - 1] : "not ended");
        const std::vector<std::string> old = InstallOldRelease();
        EXPECT_EQ(step <= kSteps.size() ? kEndedAbruptly : 0, RunChild(step));
        RecoverInterruptedUpdate(folder_.Path(), names);
        if (step > kCommitStep) {
            ExpectNewInstallation(folder_);
            continue;
        }
        EXPECT_EQ(old, State());
        // The update then goes on as on any old installation.
        EXPECT_EQ(mrOk, Run());
        ExpectNewInstallation(folder_);
    }
}
