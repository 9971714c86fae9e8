#include "app/install_dlg.h"

#include "entry/add_patient_dlg.h"
#include "platform/device.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "platform/ui/paint_progress.h"
#include "res/resource.h"
#include "store/test_info_file.h"
#include "store/test_info_import.h"
#include "store/user_changes.h"

#include <chrono>
#include <new>

namespace {

constexpr auto kProgressShownEvery = std::chrono::milliseconds(40);

// Passes the import's drawing on to the window and lets each progress text
// reach the screen while the import goes on, at most every 40 ms. The white
// wipe is not shown on its own: the text it makes room for follows at once.
class ShownProgress : public PaintSurface {
public:
    ShownProgress(CDialog& window, PaintSurface& surface) : window_(window), surface_(surface) {}

    void TextOut(int x, int y, std::u16string_view text) override {
        surface_.TextOut(x, y, text);
        const auto now = std::chrono::steady_clock::now();
        if (color_ == kWhite || (shown_ && now - lastShown_ < kProgressShownEvery)) return;
        shown_ = true;
        lastShown_ = now;
        ShowPaintProgress(window_);
    }
    void FillRect(const PaintRect& rect, Color color) override { surface_.FillRect(rect, color); }
    void SetTextColor(Color color) override {
        color_ = color;
        surface_.SetTextColor(color);
    }
    void SelectFont(const FontSpec* font) override { surface_.SelectFont(font); }
    void Line(int x1, int y1, int x2, int y2) override { surface_.Line(x1, y1, x2, y2); }
    void Polyline(const PaintPoint* points, int count) override { surface_.Polyline(points, count); }
    void SelectSolidBrush(Color color) override { surface_.SelectSolidBrush(color); }
    void SelectDefaultBrush() override { surface_.SelectDefaultBrush(); }
    void Rectangle(const PaintRect& rect) override { surface_.Rectangle(rect); }
    int Width() const override { return surface_.Width(); }
    int Height() const override { return surface_.Height(); }

private:
    CDialog& window_;
    PaintSurface& surface_;
    Color color_ = kBlack;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastShown_;
};

// The one message for an import that could not finish, naming the file at fault.
std::u16string ImportProblemText(ImportProblem problem) {
    const std::u16string testInfo = Utf8ToText(ResolveDevicePath(kTestInfoFilePath).string());
    switch (problem) {
    case ImportProblem::None:
        break;
    case ImportProblem::FileTooLarge:
        return u"Vantrel did not import the test information file " + testInfo + u": it is larger than " +
               IntToText(kTestInfoMaxBytes / (1024 * 1024)) + u" MB or longer than " + IntToText(kTestInfoMaxLines) +
               u" lines, far beyond any real catalogue.";
    case ImportProblem::FileUnreadable:
        return u"Vantrel could not read the test information file " + testInfo + u".";
    case ImportProblem::StoreRefused:
        // The file could be read, but the store refused to keep it (a full
        // disk). Without a word the user would meet an empty program.
        return u"Vantrel could not save the test information in its data file " +
               Utf8ToText(ObjectStorePath().string()) +
               u". Check that there is space on the disk and start Vantrel again.";
    }
    return {};
}

}  // namespace

CInstallDlg::CInstallDlg(std::function<void()> userAsked)
    : CDialog(IDD_INSTALL), userAsked_(std::move(userAsked)) {}

const CommandTable& CInstallDlg::Commands() const {
    static const CommandTable table{BindPaint(&CInstallDlg::OnPaint)};
    return table;
}

void CInstallDlg::PostNcDestroy() { delete this; }

void CInstallDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kBlack);
    dc.TextOut(20, 124, u"Initializing Database...Please Wait");
    if (started_) return;
    started_ = true;
    ShownProgress progress(*this, dc);
    ImportProblem problem = ImportProblem::None;
    ImportTestInfo(progress, &problem);
    if (problem != ImportProblem::None) {
        MessageBox(this, ImportProblemText(problem));
    } else if (TestInfoImported() && !HasPatients()) {
        // Also a first run that ended before its first user was stored.
        RunFirstUserStep();
        if (userAsked_) userAsked_();
    }
    EndDialog(IDOK);
    DestroyWindow();  // frees this object: nothing of it may be touched after
}

void CreateInstallWindow(CDialog& mainWindow, std::function<void()> userAsked) {
    CInstallDlg* dlg = new (std::nothrow) CInstallDlg(std::move(userAsked));
    if (dlg == nullptr) {
        MessageBox(nullptr, u"Error Creating Dialog Object");
        return;
    }
    if (!dlg->Create(&mainWindow)) {
        MessageBox(nullptr, u"Error creating Dialog");
        delete dlg;  // it has no window, so nothing else would free it
        return;
    }
    dlg->ShowWindow();
}

void GetOwnerName(std::u16string& name) {
    const std::u16string owner = DeviceOwnerName();
    if (!owner.empty()) name = BoundedText(owner);
}

void RunFirstUserStep() {
    std::u16string owner;
    GetOwnerName(owner);
    CAddPatientDlg dlg;
    dlg.mode = owner.empty() ? CAddPatientDlg::kModeNew : CAddPatientDlg::kModeOwner;
    dlg.name = owner;
    if (dlg.DoModal() == IDOK && !MakeCurrentUser(dlg.name))
        MessageBox(nullptr, u"Could not switch to this user. Check that there is space on the disk and try again.");
}
