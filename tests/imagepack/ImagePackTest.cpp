// The image pack base: change notification, index checks, drawing geometry and the refusals of
// a pack that keeps the base setters.
#include "support/DrawTarget.h"
#include "imagepack/UImagePack.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Picture.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kImageColor = RGB(200, 0, 0);

// A pack with fixed rectangles; GetImage gives a solid bitmap of the rectangle's size when
// filled is set, and leaves the picture empty otherwise.
class TFixedPack : public TImagePack {
public:
    explicit TFixedPack(TComponent* owner = nullptr) : TImagePack(owner) {}

    std::vector<RECT> rects;
    bool filled = false;
    std::vector<RECT> stretchRects;   // what StretchDraw was asked for
    bool recordOnly = false;

    int GetCount() override { return static_cast<int>(rects.size()); }
    RECT GetImageRect(int index) override { return rects.at(index); }
    void GetImage(TPicture& picture, int index) override
    {
        if (!filled)
            return;
        TBitmap& bitmap = picture.Bitmap();
        bitmap.SetPixelFormat(TPixelFormat::Bit24);
        bitmap.SetSize(RectWidth(rects.at(index)), RectHeight(rects.at(index)));
        bitmap.Canvas().Brush().SetColor(kImageColor);
        bitmap.Canvas().FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});
    }
    void StretchDraw(TCanvas& canvas, const RECT& rect, int index) override
    {
        stretchRects.push_back(rect);
        if (!recordOnly)
            TImagePack::StretchDraw(canvas, rect, index);
    }
};

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

template <class F>
void ExpectImagePackError(const std::string& message, F&& action)
{
    try {
        action();
        ADD_FAILURE() << "no EImagePack for " << message;
    } catch (const EImagePack& e) {
        EXPECT_EQ(message, e.Message());
    }
}

} // namespace

TEST(ImagePackChange, ListenersRunInOrderThenTheEvent)
{
    TFixedPack pack;
    std::vector<std::string> calls;
    pack.NotifyList().Add([&](TObject* sender) {
        EXPECT_EQ(&pack, sender);
        calls.push_back("first");
    });
    pack.NotifyList().Add([&](TObject*) { calls.push_back("second"); });
    pack.OnChange = [&](TObject* sender) {
        EXPECT_EQ(&pack, sender);
        calls.push_back("event");
    };
    pack.Change();
    EXPECT_EQ((std::vector<std::string>{"first", "second", "event"}), calls);
}

TEST(ImagePackChange, AFailingListenerStopsTheRestAndTheEvent)
{
    TFixedPack pack;
    std::vector<std::string> calls;
    pack.NotifyList().Add([&](TObject*) { calls.push_back("first"); });
    pack.NotifyList().Add([](TObject*) { throw std::runtime_error("listener failed"); });
    pack.NotifyList().Add([&](TObject*) { calls.push_back("third"); });
    pack.OnChange = [&](TObject*) { calls.push_back("event"); };
    EXPECT_THROW(pack.Change(), std::runtime_error);
    EXPECT_EQ((std::vector<std::string>{"first"}), calls);
}

TEST(NotifyList, ANotificationCallsOnlyTheEntriesPresentAtItsStart)
{
    TNotifyList list;
    int late = 0;
    int early = 0;
    list.Add([&](TObject*) {
        ++early;
        if (early == 1)
            list.Add([&](TObject*) { ++late; });
    });
    list.Notify(nullptr);
    EXPECT_EQ(1, early);
    EXPECT_EQ(0, late);
    list.Notify(nullptr);
    EXPECT_EQ(2, early);
    EXPECT_EQ(1, late);
}

TEST(NotifyList, AnEntryMayRemoveItselfAndEntriesMovedOutOfRangeAreSkipped)
{
    TNotifyList list;
    int calls = 0;
    TNotifyList::TEntry self = nullptr;
    self = list.Add([&](TObject*) {
        ++calls;
        EXPECT_TRUE(list.Remove(self));
    });
    list.Add([&](TObject*) { ++calls; });
    list.Notify(nullptr);
    // The second entry moved to index 0, which was already visited.
    EXPECT_EQ(1, calls);
    EXPECT_EQ(1, list.Count());
    EXPECT_FALSE(list.Remove(self));
    EXPECT_EQ(nullptr, list.Add(TNotifyEvent()));
    EXPECT_EQ(1, list.Count());
}

TEST(NotifyList, EntriesAreFreedWithTheirPack)
{
    auto token = std::make_shared<int>(0);
    {
        TComponent owner(nullptr);
        auto* pack = new TFixedPack(&owner);
        pack->NotifyList().Add([token](TObject*) {});
        pack->NotifyList().Add([token](TObject*) {});
        EXPECT_EQ(3, token.use_count());
    }
    EXPECT_EQ(1, token.use_count());
}

TEST(ImagePackIndex, OnlyNumbersFromZeroBelowCountAreValid)
{
    TFixedPack pack;
    EXPECT_TRUE(pack.IsInvalidIndex(0));
    EXPECT_TRUE(pack.IsInvalidIndex(-1));
    pack.rects = {RECT{0, 0, 1, 1}, RECT{1, 0, 2, 1}};
    EXPECT_EQ(2, pack.Count());
    EXPECT_TRUE(pack.IsInvalidIndex(-1));
    EXPECT_FALSE(pack.IsInvalidIndex(0));
    EXPECT_FALSE(pack.IsInvalidIndex(1));
    EXPECT_TRUE(pack.IsInvalidIndex(2));
}

TEST(ImagePackEdges, EverySetterEndsInTheBaseRefusal)
{
    TFixedPack pack;
    pack.rects = {RECT{30, 40, 130, 90}};
    const std::string rectText = "Cannot set ImageRect of ImagePack";
    ExpectImagePackError("Cannot set count of ImagePack", [&] { pack.SetCount(3); });
    ExpectImagePackError(rectText, [&] { pack.SetImageRect(0, RECT{0, 0, 1, 1}); });
    ExpectImagePackError(rectText, [&] { pack.SetImageLeft(0, 5); });
    ExpectImagePackError(rectText, [&] { pack.SetImageTop(0, 5); });
    ExpectImagePackError(rectText, [&] { pack.SetImageWidth(0, 5); });
    ExpectImagePackError(rectText, [&] { pack.SetImageHeight(0, 5); });
    EXPECT_EQ(1, pack.Count());
    EXPECT_EQ(30, pack.GetImageLeft(0));
}

namespace {

// Records the rectangle each edge setter hands to SetImageRect.
class TStoringPack : public TFixedPack {
public:
    void SetImageRect(int index, const RECT& rect) override { rects.at(index) = rect; }
};

} // namespace

TEST(ImagePackEdges, SettersMoveOrResizeTheRectangle)
{
    TStoringPack pack;
    pack.rects = {RECT{30, 40, 130, 90}};
    EXPECT_EQ(100, pack.GetImageWidth(0));
    EXPECT_EQ(50, pack.GetImageHeight(0));
    pack.SetImageLeft(0, 10);
    EXPECT_TRUE(SameRect(RECT{10, 40, 110, 90}, pack.rects[0]));
    pack.SetImageTop(0, 0);
    EXPECT_TRUE(SameRect(RECT{10, 0, 110, 50}, pack.rects[0]));
    pack.SetImageWidth(0, 7);
    pack.SetImageHeight(0, 8);
    EXPECT_TRUE(SameRect(RECT{10, 0, 17, 8}, pack.rects[0]));
}

TEST(ImagePackDraw, DrawAtAPointStretchesIntoTheImagesOwnSize)
{
    TFixedPack pack;
    pack.rects = {RECT{30, 40, 130, 90}};
    pack.recordOnly = true;
    TDrawTarget target(1, 1, kBackground);
    pack.Draw(target.Canvas(), 10, 20, 0);
    ASSERT_EQ(1u, pack.stretchRects.size());
    EXPECT_TRUE(SameRect(RECT{10, 20, 110, 70}, pack.stretchRects[0]));
}

TEST(ImagePackDraw, BaseStretchDrawPaintsThePictureOfGetImage)
{
    TFixedPack pack;
    pack.rects = {RECT{0, 0, 2, 2}};
    pack.filled = true;
    TDrawTarget target(8, 8, kBackground);
    pack.StretchDraw(target.Canvas(), RECT{2, 2, 6, 6}, 0);
    EXPECT_EQ(kImageColor, target.Pixel(2, 2));
    EXPECT_EQ(kImageColor, target.Pixel(5, 5));
    EXPECT_EQ(kBackground, target.Pixel(1, 1));
    EXPECT_EQ(kBackground, target.Pixel(6, 6));
}

TEST(ImagePackDraw, AnEmptyPictureDrawsNothingAndRaisesNothing)
{
    TFixedPack pack;
    pack.rects = {RECT{0, 0, 2, 2}};
    TDrawTarget target(4, 4, kBackground);
    EXPECT_NO_THROW(pack.StretchDraw(target.Canvas(), RECT{0, 0, 4, 4}, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(kBackground, target.Pixel(x, y));
}
