// A matrix image pack declared in a window layout: the loader's names arrive while the layout
// is read, the picture loads once loading ends, and a missing resource fails the form.
#include "support/FormTesting.h"
#include "imagepack/UMatrixImagePack.h"
#include "bitmap/USafetyBitmap.h"
#include "framework/layout/Layout.h"
#include "framework/core/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kLogoWidth = 400;
constexpr int kLogoHeight = 248;

std::string PackLayout(const std::string& packProperties)
{
    return "form frmTest\n"
           "    ClientWidth = 400\n"
           "    ClientHeight = 248\n"
           "\n"
           "TMatrixImagePack MatrixImagePack1\n" +
           packProperties;
}

const char kLogoPack[] = "    ImageLoader.ResType = \"RT_BITMAP\"\n"
                         "    ImageLoader.ResName = \"LOGO\"\n"
                         "    ImageLoader.ResFile = \"Za2Image.res\"\n"
                         "    OnChange = PackChange\n";

class TPackForm : public TForm {
public:
    explicit TPackForm(const std::string& packProperties) : TForm(nullptr)
    {
        AddHandler("PackChange", &TPackForm::PackChange);
        AddField("MatrixImagePack1", MatrixImagePack1);
        ReadLayout(*this, PackLayout(packProperties), "TEST");
    }
    void PackChange(TObject* sender)
    {
        ++changes;
        changedWhenReady = changedWhenReady ||
                              static_cast<TMatrixImagePack*>(sender)->ImageLoader().Ready();
    }

    TMatrixImagePack* MatrixImagePack1 = nullptr;
    int changes = 0;
    bool changedWhenReady = false;   // a change arrived after the loader was made ready
};

class MatrixPackLayoutTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        RegisterMatrixImagePackKind();
        RegisterMatrixImagePackKind();   // the main window may register again
    }
};

} // namespace

TEST_F(MatrixPackLayoutTest, LogoOfTheModuleLoadsAtTheEndOfLoading)
{
    TPackForm form(kLogoPack);
    TMatrixImagePack& pack = *form.MatrixImagePack1;
    EXPECT_EQ("RT_BITMAP", pack.ImageLoader().ResType());
    EXPECT_EQ("Za2Image.res", pack.ImageLoader().ResFile());
    EXPECT_TRUE(pack.ImageLoader().Ready());
    // No such file beside the program: the module's own LOGO.
    ASSERT_NE(nullptr, dynamic_cast<TSafetyBitmap*>(pack.Image().Graphic()));
    EXPECT_TRUE(pack.Image().FromResource());
    // The load reported to OnChange, before the loader became ready (the bitmap's loading may
    // report more than one step of it).
    EXPECT_GE(form.changes, 1);
    EXPECT_FALSE(form.changedWhenReady);

    TPicture logo;
    pack.GetImage(logo, 0);
    EXPECT_EQ(kLogoWidth, logo.Width());
    EXPECT_EQ(kLogoHeight, logo.Height());
}

TEST_F(MatrixPackLayoutTest, GridAndAutoLoadComeFromTheLayout)
{
    TPackForm form("    ImageLoader.AutoLoad = false\n"
                   "    ImageLoader.ResType = \"RT_BITMAP\"\n"
                   "    ImageLoader.ResName = \"LOGO\"\n"
                   "    CountCol = 4\n"
                   "    CountRow = 2\n");
    TMatrixImagePack& pack = *form.MatrixImagePack1;
    EXPECT_EQ(8, pack.Count());
    EXPECT_EQ(nullptr, pack.Image().Graphic());   // not loaded without AutoLoad
    EXPECT_TRUE(pack.ImageLoader().Ready());
    pack.ImageLoader().Load();
    RECT last = pack.GetImageRect(7);
    EXPECT_EQ(kLogoWidth, last.right);
    EXPECT_EQ(kLogoHeight, last.bottom);
}

TEST_F(MatrixPackLayoutTest, OnceReadyANameChangeReloadsAtOnce)
{
    TPackForm form(kLogoPack);
    TMatrixImagePack& pack = *form.MatrixImagePack1;
    try {
        pack.ImageLoader().SetResName("NOSUCHLOGO");
        FAIL() << "no resource-not-found error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ("NOSUCHLOGO ﾘｿｰｽが見つかりません", e.Message());
    }
}

TEST_F(MatrixPackLayoutTest, MissingResourceFailsTheForm)
{
    try {
        TPackForm form("    ImageLoader.ResType = \"RT_BITMAP\"\n"
                       "    ImageLoader.ResName = \"NOSUCHLOGO\"\n");
        FAIL() << "the form was made";
    } catch (const EResNotFound& e) {
        EXPECT_EQ("NOSUCHLOGO ﾘｿｰｽが見つかりません", e.Message());
    }
}

TEST_F(MatrixPackLayoutTest, UnknownPropertyIsALayoutError)
{
    EXPECT_THROW(TPackForm form("    ImageLoader.ResKind = \"RT_BITMAP\"\n"), ELayoutError);
}
