// How the module tells the dock's two kinds of image apart without calling
// into either, and keeps the first answer.
#include "base/image_family.h"
#include "base/owners.h"
#include "render_canvas.h"

namespace {

using ImageFamilyTest = GdiplusTest;

// Data of this program, where a dock's own vtable pointer would point.
const void* const kNotAVtable[] = {nullptr, nullptr};

GpBitmap* SmallBitmap() {
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bitmap);
    return bitmap;
}

TEST_F(ImageFamilyTest, AVtableOutsideGdiplusBeforeAnImageGdiplusKnowsIsMicrosoftsKind) {
    HostImage* object = WrapBitmapForHost(SmallBitmap());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(ExamineDockPicture(object), DockImageFamily::Msvc);
    DeleteHostImage(object);
}

TEST_F(ImageFamilyTest, EverythingElseIsAFlatHandle) {
    const BitmapOwner flat(SmallBitmap());
    ASSERT_TRUE(flat);
    EXPECT_EQ(ExamineDockPicture(flat.get()), DockImageFamily::Flat);
    // Pointing into this program, with no image behind.
    HostImage lookalike{&kNotAVtable[0], nullptr, 0, 0};
    EXPECT_EQ(ExamineDockPicture(&lookalike), DockImageFamily::Flat);
    // GDI+'s own object points into gdiplus.dll; what follows is never handed
    // to GDI+ (this second field would crash it).
    const auto gdiplusCode = reinterpret_cast<const void* const*>(
        GetProcAddress(GetModuleHandleW(L"gdiplus.dll"), "GdipDisposeImage"));
    ASSERT_NE(gdiplusCode, nullptr);
    HostImage gdiplusObject{gdiplusCode, reinterpret_cast<GpImage*>(16), 0, 0};
    EXPECT_EQ(ExamineDockPicture(&gdiplusObject), DockImageFamily::Flat);
    EXPECT_EQ(ExamineDockPicture(nullptr), DockImageFamily::Unknown);
}

// The one test here that adopts a picture: the first decides for the process.
TEST_F(ImageFamilyTest, TheFirstPictureAdoptedDecidesAndFlatOnesAreKeptWrapped) {
    ASSERT_EQ(KnownDockImageFamily(), DockImageFamily::Unknown);
    EXPECT_EQ(AdoptDockPicture(nullptr), nullptr);
    EXPECT_EQ(KnownDockImageFamily(), DockImageFamily::Unknown);
    GpBitmap* flat = SmallBitmap();
    HostImage* adopted = AdoptDockPicture(flat);
    ASSERT_NE(adopted, nullptr);
    EXPECT_EQ(NativeImageOf(adopted), flat);
    EXPECT_EQ(KnownDockImageFamily(), DockImageFamily::Flat);
    DeleteHostImage(adopted);
}

}  // namespace
