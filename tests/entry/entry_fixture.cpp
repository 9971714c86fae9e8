#include "entry_fixture.h"

#include "platform/memory_listing.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QTest>

void EntryTest::SetUp() {
    StoreFixture::SetUp();
    SetNow(kNow);
}

void EntryTest::TearDown() {
    // Nothing may be left over from a scripted run.
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    EXPECT_EQ(driver.PendingScripts(), 0u);
    StoreFixture::TearDown();
}

void EntryTest::WriteCatalogue() {
    const std::u16string lipid = u"Lipid Panel";
    SetTestEntry(lipid, u"number of results", u"0");  // a catalogue to teach, as after a first run
    TeachResultName(lipid, u"HDL", u"40[50]", u"mg/dL");
    TeachResultName(lipid, u"LDL", u"100", u"mg/dL");
    TeachResultName(lipid, u"Triglycerides", u"150[135]", u"mmol/L");
    AddResultName(u"Glucose", u"");
    AddResultName(u"Glucose Tolerance", u"");
}

void EntryTest::AddUsers() {
    AddPatient(u"Ann", u"Female", kBirthdate, u"0", u"Bar");
    AddPatient(u"Bob", u"Male", kBirthdate, u"0", u"Bar");
}

std::vector<std::u16string> EntryTest::ResultNames(std::u16string_view test) {
    MemoryListing names;
    ListResultNames(test, names);
    return names.Items();
}

std::vector<std::u16string> EntryTest::KnownTests() {
    MemoryListing tests(true);
    ListResultTests(tests);
    return tests.Items();
}

namespace {

// The widget a person clicks and types into: the edit field of a box.
QWidget* FieldOf(CDialog& dialog, int id) {
    QWidget* widget = dialog.ControlWidget(id);
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit()) return box->lineEdit();
    return widget;
}

// A person acts on the window in front, which the window system makes active.
void Activate(CDialog& dialog) {
    QWidget* window = dialog.Widget();
    if (QApplication::activeWindow() != window) QApplication::setActiveWindow(window);
}

}  // namespace

void ClickOn(CDialog& dialog, int id) {
    QWidget* widget = FieldOf(dialog, id);
    ASSERT_NE(widget, nullptr) << "no control " << id;
    Activate(dialog);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void TypeInto(CDialog& dialog, int id, const QString& keys) {
    ClickOn(dialog, id);
    // A box holds the focus for its edit field and hands the keys on to it.
    QWidget* field = QApplication::focusWidget();
    ASSERT_EQ(field, dialog.ControlWidget(id)) << "the click left the focus elsewhere";
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, keys);
}

void PasteInto(CDialog& dialog, int id, const QString& text) {
    QApplication::clipboard()->setText(text);
    TypeInto(dialog, id, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
}

void ClickRow(CDialog& dialog, int id, int row) {
    auto* list = qobject_cast<QAbstractItemView*>(dialog.ControlWidget(id));
    ASSERT_TRUE(list && row < list->model()->rowCount());
    Activate(dialog);
    const QModelIndex item = list->model()->index(row, 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
}

void PressKey(CDialog& dialog, int id, int key) {
    QWidget* field = dialog.ControlWidget(id);
    ASSERT_EQ(QApplication::focusWidget(), field);
    QTest::keyClick(field, Qt::Key(key));
}

std::u16string Shown(CDialog& dialog, int id) {
    QWidget* widget = FieldOf(dialog, id);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    return edit ? edit->displayText().toStdU16String() : std::u16string();
}
