// A build whose ZANDERA2_PPR resource has one changed byte in its deflate data: the run reports
// it and leaves the old installation as it was, also the files decoded before it.
#include "UpdateRunFixture.h"

using namespace update_run;

using DamagedPayload = UpdateRunTest;

TEST_F(DamagedPayload, IsReportedAndChangesNothing)
{
    InstallOld(folder_);
    EXPECT_EQ(mrCancel, Run());
    EXPECT_EQ("予期しないエラーが発生しました\r\nerror", OnlyBoxText());
    EXPECT_EQ(7, positions_.back()) << "stops at the paper data's decoding";
    ExpectOldInstallation(folder_);
}
