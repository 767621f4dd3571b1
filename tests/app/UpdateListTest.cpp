// The files the build carries (resources/payload/UpdateFiles.txt) are the ones the main window's
// layout lists for the run, in the same order.
#include "PayloadFiles.h"
#include "support/FormTesting.h"
#include "app/FMain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using UpdateList = FormTest;

TEST_F(UpdateList, OfTheLayoutIsTheBuildsList)
{
    TfrmMain* main = app_->CreateForm<TfrmMain>();
    std::vector<std::string> listed;
    for (int i = 0; i < main->UpdateCount(); ++i)
        listed.push_back(main->UpdateItem(i));
    EXPECT_EQ(std::vector<std::string>({ZA2_PAYLOAD_NAMES}), listed);
}
