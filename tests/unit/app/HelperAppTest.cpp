#include <gtest/gtest.h>

#include "app/HelperApp.h"

TEST(Application, StartUpWithoutItsMainWindowTemplateReturnsAtOnce)
{
    // A module without the program's resources: the main window cannot be
    // made, and start-up must not sit in a loop with no window to serve.
    CHelperApp app;
    AfxSetResourceHandle(GetModuleHandleA("kernel32.dll"));
    const DWORD t0 = GetTickCount();
    EXPECT_FALSE(app.InitInstance());
    EXPECT_LT(GetTickCount() - t0, 3000u);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
}
