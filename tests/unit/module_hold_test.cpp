// When the module's last hold may give its reference back: only through the
// outermost entry of the thread that dropped it, once.
#include "base/module_hold.h"

#include <gtest/gtest.h>

namespace {

// Linked into this program, the holds take references to the program itself.
HMODULE ThisProgram() { return GetModuleHandleW(nullptr); }

TEST(ModuleHoldTest, TheLastHoldWaitsForTheOutermostEntryAndGoesOnce) {
    EXPECT_EQ(TakeModuleRelease(), nullptr) << "nothing held yet";
    {
        const ModuleEntry outer;
        AddModuleHold();
        AddModuleHold();
        {
            const ModuleEntry inner;
            DropModuleHold();
            EXPECT_EQ(TakeModuleRelease(), nullptr) << "one hold is left";
            DropModuleHold();
        }
        EXPECT_EQ(TakeModuleRelease(), nullptr) << "an entry of this thread is under way";
    }
    EXPECT_EQ(TakeModuleRelease(), ThisProgram());
    EXPECT_EQ(TakeModuleRelease(), nullptr) << "given back twice";
}

TEST(ModuleHoldTest, AHoldCycleWhileAReleaseWaitsGoesAtOnce) {
    {
        const ModuleEntry entry;
        for (int cycle = 0; cycle < 3; ++cycle) {
            AddModuleHold();
            DropModuleHold();
        }
    }
    EXPECT_EQ(TakeModuleRelease(), ThisProgram());
    EXPECT_EQ(TakeModuleRelease(), nullptr);
}

TEST(ModuleHoldTest, OutsideAnyEntryTheReferenceStays) {
    AddModuleHold();
    DropModuleHold();
    EXPECT_EQ(TakeModuleRelease(), nullptr);
}

TEST(ModuleHoldTest, EachThreadGivesBackOnlyWhatItDropped) {
    {
        const ModuleEntry entry;
        AddModuleHold();
        DropModuleHold();
    }
    HMODULE takenElsewhere = ThisProgram();
    const HANDLE other = CreateThread(
        nullptr, 0,
        [](void* taken) -> DWORD {
            *static_cast<HMODULE*>(taken) = TakeModuleRelease();
            return 0;
        },
        &takenElsewhere, 0, nullptr);
    ASSERT_NE(other, nullptr);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
    EXPECT_EQ(takenElsewhere, nullptr);
    EXPECT_EQ(TakeModuleRelease(), ThisProgram());
}

}  // namespace
