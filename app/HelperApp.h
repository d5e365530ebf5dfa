#pragma once
#include "framework/App.h"

// The program's application object: InitInstance runs the program's whole
// life and returns FALSE, so the framework's own loop never runs.
class CHelperApp : public CWinApp {
public:
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
