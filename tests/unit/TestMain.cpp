#include <gtest/gtest.h>

#include "framework/App.h"

int main(int argc, char** argv)
{
    // The dialogs and resources under test live in this module.
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
