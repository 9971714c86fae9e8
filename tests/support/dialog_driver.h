#pragma once
// The dialog driver of tests (and of vantrel-screens and the benchmarks): it
// scripts each modal run as it opens (nested runs too) through the framework's
// modal hook, and answers and records message boxes as they show. While a
// driver exists no window waits for a person. Also: recording and rendering a
// dialog's drawing.

#include "platform/recording_surface.h"
#include "platform/ui/dialog.h"
#include "platform/ui/modal_hook.h"

#include <QObject>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class DialogDriver : public QObject {
public:
    using Script = std::function<void(CDialog&)>;

    DialogDriver();
    ~DialogDriver() override;
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The next modal run must be of template `templateId`; `script` runs once
    // the dialog has initialised and painted, and should end it (a run the
    // script leaves open ends with IDCANCEL and is recorded as a failure).
    void ExpectModal(int templateId, Script script);
    template <class D>
    void Expect(int templateId, std::function<void(D&)> script) {
        ExpectModal(templateId, [script](CDialog& d) { script(dynamic_cast<D&>(d)); });
    }

    // Message boxes shown so far, questions among them, in order; each message
    // was answered with OK.
    const std::vector<std::u16string>& Messages() const { return messages_; }
    // The answer to the next question (Yes for true); a question without one is answered No.
    void AnswerNextQuestion(bool yes) { answers_.push_back(yes); }
    void ClearMessages() { messages_.clear(); }
    // Problems: modal runs without a script, of another template, or left open.
    const std::vector<std::string>& Failures() const { return failures_; }
    // Scripts still waiting for their modal run.
    std::size_t PendingScripts() const { return scripts_.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunScript(CDialog& dialog);

    struct Pending {
        int templateId;
        Script script;
    };
    std::deque<Pending> scripts_;
    std::vector<std::u16string> messages_;
    std::deque<bool> answers_;
    std::vector<std::string> failures_;
    ModalHook previousHook_;
    DialogDriver* previous_;
};

// Paints `dialog` onto a recording surface (also rendered to an image) and returns the record.
RecordingSurface RecordPaint(CDialog& dialog);
