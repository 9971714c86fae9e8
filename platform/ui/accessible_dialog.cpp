// A dialog window as a screen reader finds it: a dialog (modal during its
// modal run) whose children are the texts it paints, then its controls.

#include "platform/paint/fonts.h"
#include "platform/ui/accessibility.h"
#include "platform/ui/accessible_names.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/qt_text.h"

#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// The window's parts a reader meets: every control but the decorative icons.
std::vector<QWidget*> ReadableControls(const DialogWidget& window) {
    std::vector<QWidget*> parts;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisibleTo(&window) || qobject_cast<QLabel*>(child)) continue;
        parts.push_back(child);
    }
    return parts;
}

class PaintedTextAccessible : public AccessibleLeaf {
public:
    PaintedTextAccessible(DialogWidget& window, int index) : window_(&window), index_(index) {}

    bool isValid() const override {
        return window_ && index_ < static_cast<int>(window_->PaintedTexts().Texts().size());
    }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }

    // The control this text names, as the label beside or above it.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
        QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found;
        if (!isValid() || !(match & QAccessible::Labelled)) return found;
        const std::vector<DrawnText>& texts = window_->PaintedTexts().Texts();
        for (const auto& [id, control] : window_->Controls()) {
            if (LabelNaming(*window_, *control, texts) != &texts[static_cast<std::size_t>(index_)]) continue;
            if (QAccessibleInterface* named = QAccessible::queryAccessibleInterface(control))
                found.append({named, QAccessible::Labelled});
        }
        return found;
    }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(window_.data()); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? ToQString(Drawn().text) : QString();
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const DrawnText& drawn = Drawn();
        const QFontMetricsF metrics(drawn.font ? ResolveFont(*drawn.font) : DefaultUiFont());
        const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(ToQString(drawn.text))));
        const int height = static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()));
        const QRect cell = window_->ToWidget(QRect(drawn.x, drawn.y, width, height));
        return QRect(window_->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !window_ || !window_->isVisible();
        return state;
    }

private:
    const DrawnText& Drawn() const { return window_->PaintedTexts().Texts()[static_cast<std::size_t>(index_)]; }

    QPointer<DialogWidget> window_;
    int index_;
};

class DialogAccessible : public QAccessibleWidget {
public:
    explicit DialogAccessible(DialogWidget* window) : QAccessibleWidget(window, QAccessible::Dialog) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.modal = Window().isModal();
        return state;
    }
    int childCount() const override {
        return static_cast<int>(Window().PaintedTexts().Texts().size() + ReadableControls(Window()).size());
    }
    QAccessibleInterface* child(int index) const override {
        PaintedTextObjects& texts = Window().PaintedTexts();
        const int painted = static_cast<int>(texts.Texts().size());
        if (index < 0) return nullptr;
        if (index < painted) return texts.Object(index);
        const std::vector<QWidget*> controls = ReadableControls(Window());
        const std::size_t control = static_cast<std::size_t>(index - painted);
        return control < controls.size() ? QAccessible::queryAccessibleInterface(controls[control]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        PaintedTextObjects& texts = Window().PaintedTexts();
        if (const int index = texts.IndexOf(child); index >= 0) return index;
        const std::vector<QWidget*> controls = ReadableControls(Window());
        const auto found = std::find(controls.begin(), controls.end(), child->object());
        if (found == controls.end()) return -1;
        return static_cast<int>(texts.Texts().size() + static_cast<std::size_t>(found - controls.begin()));
    }

private:
    DialogWidget& Window() const { return *static_cast<DialogWidget*>(widget()); }
};

bool SamePlace(const DrawnText& a, const DrawnText& b) { return a.x == b.x && a.y == b.y; }

}  // namespace

std::vector<DrawnText> ShownTexts(const std::vector<DrawnText>& drawn) {
    std::vector<DrawnText> shown;
    for (const DrawnText& text : drawn) {
        std::erase_if(shown, [&](const DrawnText& earlier) { return SamePlace(earlier, text); });
        if (text.color != kWhite && !text.text.empty()) shown.push_back(text);
    }
    return shown;
}

PaintedTextObjects::~PaintedTextObjects() {
    for (const QAccessible::Id id : ids_) {
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
    }
}

void PaintedTextObjects::Update(std::vector<DrawnText> shown) {
    const bool listening = QAccessible::isActive();
    // Objects past the end go; those that stay take their new text.
    while (ids_.size() > shown.size()) {
        if (const QAccessible::Id id = ids_.back(); id != 0) {
            QAccessibleInterface* object = QAccessible::accessibleInterface(id);
            if (listening && object) {
                QAccessibleEvent gone(object, QAccessible::ObjectDestroyed);
                QAccessible::updateAccessibility(&gone);
            }
            QAccessible::deleteAccessibleInterface(id);
        }
        ids_.pop_back();
    }
    const std::size_t before = texts_.size();
    std::vector<DrawnText> previous = std::exchange(texts_, std::move(shown));
    if (!listening) return;
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        if (i < before && previous[i].text == texts_[i].text) continue;
        QAccessibleInterface* object = Object(static_cast<int>(i));
        QAccessibleEvent event(object, i < before ? QAccessible::NameChanged : QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&event);
    }
}

QAccessibleInterface* PaintedTextObjects::Object(int index) {
    if (index < 0 || index >= static_cast<int>(texts_.size())) return nullptr;
    if (ids_.size() < texts_.size()) ids_.resize(texts_.size(), 0);
    QAccessible::Id& id = ids_[static_cast<std::size_t>(index)];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new PaintedTextAccessible(window_, index));
    return QAccessible::accessibleInterface(id);
}

int PaintedTextObjects::IndexOf(const QAccessibleInterface* object) const {
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] != 0 && QAccessible::accessibleInterface(ids_[i]) == object) return static_cast<int>(i);
    }
    return -1;
}

QAccessibleInterface* DialogAccessibleFor(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (auto* window = dynamic_cast<DialogWidget*>(widget)) return new DialogAccessible(window);
    if (widget->property(kMenuBarStrip).toBool()) return new QAccessibleWidget(widget, QAccessible::ToolBar);
    return nullptr;
}
