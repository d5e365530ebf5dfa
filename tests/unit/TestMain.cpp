#include <gtest/gtest.h>

#include <vector>

#include "framework/App.h"

namespace {

// After every test, each heap of the process is walked and checked: a block
// header written over fails the test that did it, and so do a written-over
// block tail or a freed block written to when the heaps fill them (as the
// heap-check runs make them do).
class CHeapChecker : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override
    {
        std::vector<HANDLE> heaps;
        DWORD nHeaps = 0;
        do {
            heaps.resize(nHeaps + 16);
            nHeaps = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
        } while (nHeaps > heaps.size());
        heaps.resize(nHeaps);
        for (HANDLE hHeap : heaps)
            EXPECT_TRUE(HeapValidate(hHeap, 0, nullptr)) << "heap " << hHeap << " is damaged";
    }
};

} // namespace

int main(int argc, char** argv)
{
    // The dialogs and resources under test live in this module.
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new CHeapChecker);
    return RUN_ALL_TESTS();
}
