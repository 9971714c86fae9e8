#pragma once
// Dialogs made from templates: modal runs that nest, modeless windows,
// initialise / Ok / Cancel operations, and dispatch through the command table.
// Each dialog is a window of its own titled with its template's caption; a
// modal run blocks the windows beneath it.

#include "platform/ui/command_table.h"
#include "platform/ui/dialog_template.h"

#include <memory>
#include <string>
#include <string_view>

class QWidget;

class CDialog {
public:
    explicit CDialog(int templateId, CDialog* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally: IDOK, IDCANCEL or the value given to EndDialog;
    // -1 when its window cannot be made.
    int DoModal();
    // Makes the window modeless (not shown until ShowWindow); false on failure.
    bool Create(CDialog* parent);
    void ShowWindow(bool show = true);
    // Destroys the window; PostNcDestroy runs once it is gone.
    void DestroyWindow();
    void EndDialog(int result);
    bool IsWindow() const;
    bool IsEnded() const;

    int TemplateId() const { return templateId_; }
    const DialogTemplate& Template() const;
    CDialog* Parent() const { return parent_; }

    // Overridables.
    virtual bool OnInitDialog();
    virtual void OnOK();      // the framework's Ok command (identifier 1): ends with IDOK
    virtual void OnCancel();  // the framework's Cancel command (identifier 2): ends with IDCANCEL
    virtual void PostNcDestroy();
    virtual const CommandTable& Commands() const;

    // Dispatches a command as if it came from control or menu item `id`
    // (identifiers 1 and 2 fall back to OnOK and OnCancel when the table has no entry).
    void SendCommand(int id, int code = kNotifyClicked);

    // Marks the client area for a later repaint (erasing it first).
    void Invalidate();
    // Invalidates with erasing and repaints at once.
    void RedrawNow();
    // Paints the client area onto `surface` through the table's paint entry.
    void PaintOn(PaintSurface& surface);

    void SetWindowText(std::u16string_view text);
    std::u16string WindowText() const;
    void SetIcon(int iconResource);
    // What a screen reader says of the window beyond its caption (a drawn picture).
    void SetAccessibleDescription(std::u16string_view text);
    void CenterWindow();

    // Size of the client area in logical pixels.
    int ClientWidth() const;
    int ClientHeight() const;

    // The framework's own window; nullptr before it is made. For the framework and its seams.
    QWidget* Widget() const;
    QWidget* ControlWidget(int id) const;

    struct Window;

private:
    friend struct DialogAccess;
    bool MakeWindow();
    void DispatchPaint(bool repaintNow);
    // A paint event: runs the handler afresh unless the program has just painted.
    void PaintForEvent();
    void RunPaintHandler();
    void ScheduledPaint();
    void OfferToHook();
    static void ResumeWaitingHook();
    void EnterDispatch();
    // Ends a dispatch; a DestroyWindow that waited for it runs here, after
    // which this object may be gone (PostNcDestroy may free it).
    void LeaveDispatch();
    void DestroyNow(bool deferDelete);

    int templateId_;
    CDialog* parent_;
    std::unique_ptr<Window> window_;
};
