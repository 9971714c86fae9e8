#pragma once
// The About box: the program, its version, its maker, the disclaimer and the
// source of the test information, painted line by line.

#include "platform/paint_surface.h"
#include "platform/ui/command_table.h"
#include "platform/ui/dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CDialog* parent = nullptr);

    // Its OK button ends it through the framework's own Ok.
    const CommandTable& Commands() const override;

private:
    void OnPaint(PaintSurface& dc);
};
