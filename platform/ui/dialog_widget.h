#pragma once
// The Qt window of a dialog, for the framework's own files: the client-area
// buffer the paint handlers draw on, the controls made from the template, and
// the menu bar below the client area.

#include "platform/ui/accessibility.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <map>

class DialogWidget : public QWidget {
public:
    DialogWidget(CDialog& dialog, double uiScale);

    // The dialog, or nullptr once the window is being taken down.
    CDialog* Dialog() const { return dialog_; }
    void Detach() { dialog_ = nullptr; }

    double Scale() const { return scale_; }
    // Widget coordinates for logical pixels.
    int ToWidget(int logical) const;
    QRect ToWidget(const QRect& logical) const;
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    QImage& Buffer() { return buffer_; }

    void AddControl(int id, QWidget* control);
    QWidget* Control(int id) const;
    // The template's controls that have an id, by id.
    const std::map<int, QWidget*>& Controls() const { return controls_; }
    // What the paint handler drew last, as accessible texts.
    PaintedTextObjects& PaintedTexts() { return paintedTexts_; }
    // The image list a list view shows its pictures from (not owned).
    void SetImageList(int id, const CImageList::Data* images) { imageLists_[id] = images; }
    const CImageList::Data* ImageList(int id) const;

    // Puts `bar` below the client area, `logicalHeight` pixels high.
    void AttachMenuBar(QWidget* bar, int logicalHeight);
    // Enter presses the focused push button, elsewhere it is the dialog's Ok
    // command; Escape is its Cancel command.
    void WatchKeys(QWidget* child);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnlyBehindControls(const QRegion& region) const;

    CDialog* dialog_;
    double scale_;
    double widgetScale_;
    int clientWidth_, clientHeight_;
    QImage buffer_;
    std::map<int, QWidget*> controls_;
    std::map<int, const CImageList::Data*> imageLists_;
    PaintedTextObjects paintedTexts_{*this};
};

// The framework's way into a dialog's window.
struct DialogAccess {
    static DialogWidget* WidgetOf(const CDialog& dialog);
    static void CloseBox(CDialog& dialog);
    // Runs the paint handler now into the buffer (or marks a repaint when it is already running).
    static void DispatchPaint(CDialog& dialog);
    // The window whose handler runs (or the innermost modal run); nullptr when none.
    static QWidget* ActiveWindow();
    // A paint event reached the window.
    static void PaintForEvent(CDialog& dialog);
    // Whether a paint handler runs above the innermost modal run.
    static bool PaintRunning();
    // A long paint's texts drawn so far reach the screen reader.
    static void ShowTextsDrawnSoFar(CDialog& dialog);
};

// Makes the template's controls on `widget`.
void CreateControls(DialogWidget& widget, const DialogTemplate& dialogTemplate);
