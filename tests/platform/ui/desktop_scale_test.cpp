// The real start-up on a desktop at 150% (the offscreen screen reports 144
// dots per inch, as a desktop set to 150% does): every window is twice the
// desktop's scale times its design size, painted at the screen's own
// resolution, with its controls' texts and frames inside their boxes.

#include "support/dialog_driver.h"

#include "platform/ui/dialog.h"
#include "platform/ui/win_app.h"
#include "res/resource.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QImage>
#include <QListView>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Whether the window shows the control's frame (anything but white) along
// the control's right and bottom edges, halfway along each.
bool FrameShows(QWidget& window, const QWidget& control) {
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const double ratio = window.devicePixelRatioF();
    const QRect box(QPoint(std::lround(control.x() * ratio), std::lround(control.y() * ratio)),
                    QPoint(std::lround((control.x() + control.width()) * ratio) - 1,
                           std::lround((control.y() + control.height()) * ratio) - 1));
    const auto inked = [&](int x, int y) { return image.valid(x, y) && image.pixel(x, y) != qRgb(255, 255, 255); };
    const int middleX = box.center().x(), middleY = box.center().y();
    const bool right = inked(box.right(), middleY) || inked(box.right() - 1, middleY);
    const bool bottom = inked(middleX, box.bottom()) || inked(middleX, box.bottom() - 1);
    return right && bottom;
}

// Opens a window of every template and checks it at `scale` screen pixels per design pixel.
void CheckEveryWindow(double scale) {
    DialogDriver driver;
    for (const int id : {IDD_VANTREL, IDD_INSTALL, IDD_TEST_INFO, IDD_ADD_PATIENT, IDD_TAKE_TEST, IDD_SWITCH_USER,
                         IDD_ADD_RESULT, IDD_TEST_REPORT, IDD_GRAPH_OPTIONS, IDD_RESULTS_GRAPH, IDD_MODIFY_TEST,
                         IDD_ABOUT}) {
        CDialog dialog(id);
        driver.ExpectModal(id, [scale, id](CDialog& d) {
            QWidget& window = *d.Widget();
            const double ratio = window.devicePixelRatioF();
            EXPECT_NEAR(window.width() * ratio, d.ClientWidth() * scale, 2) << id;
            EXPECT_NEAR(window.height() * ratio, d.ClientHeight() * scale, 2) << id;
            // The paint lands at the screen's resolution, never enlarged from a smaller picture.
            EXPECT_NEAR(window.grab().toImage().width(), d.ClientWidth() * scale, 2) << id;
            for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                EXPECT_TRUE(window.rect().contains(control->geometry())) << id;
                if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                    EXPECT_LT(QFontMetrics(button->font()).horizontalAdvance(button->text()), button->width())
                        << button->text().toStdString();
                }
                if (auto* list = qobject_cast<QListView*>(control)) {
                    EXPECT_TRUE(FrameShows(window, *list)) << id;
                }
            }
            d.EndDialog(IDOK);
        });
        dialog.DoModal();
    }
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(DesktopScale, WindowsAreTwiceTheDesktopScaleAndCrisp) { CheckEveryWindow(2 * 1.5); }

class ScaleCheck : public CWinApp {
public:
    bool InitInstance() override {
        result = RUN_ALL_TESTS();
        return false;
    }
    int result = 1;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qunsetenv("VANTREL_SCALE");
    ScaleCheck app;
    const int started = RunWinApp(argc, argv);
    return started != 0 ? started : app.result;
}
