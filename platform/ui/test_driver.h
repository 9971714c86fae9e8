#pragma once
// Test seams: a driver that scripts each modal run as it opens (nested runs
// too), answers and records message boxes; recording and rendering a dialog's
// drawing. While a driver exists no window waits for a person.

#include "platform/recording_surface.h"
#include "platform/ui/dialog.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class DialogDriver {
public:
    using Script = std::function<void(CDialog&)>;

    DialogDriver();
    ~DialogDriver();
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

    static DialogDriver* Active();

    // For the framework.
    bool RunScript(CDialog& dialog);
    void RecordMessage(std::u16string_view text) { messages_.emplace_back(text); }
    bool AnswerQuestion(std::u16string_view text);

private:
    struct Pending {
        int templateId;
        Script script;
    };
    std::deque<Pending> scripts_;
    std::vector<std::u16string> messages_;
    std::deque<bool> answers_;
    std::vector<std::string> failures_;
    DialogDriver* previous_;
};

// Paints `dialog` onto a recording surface (also rendered to an image) and returns the record.
RecordingSurface RecordPaint(CDialog& dialog);
// Renders the dialog with its controls, as a person sees it, to a PNG file.
bool RenderToPng(CDialog& dialog, const std::filesystem::path& file);
