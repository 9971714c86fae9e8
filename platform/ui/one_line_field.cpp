#include "platform/ui/one_line_field.h"

#include "platform/text.h"
#include "platform/ui/qt_text.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace {

// Rewrites every change of the field's text, typed, pasted or set by the program.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        const std::u16string text = FromQString(input);
        const std::u16string line = OneLine(text);
        if (line != text) {
            // The cursor stays after what was before it.
            const std::size_t before = OneLine(std::u16string_view(text).substr(0, std::max(pos, 0))).size();
            input = ToQString(line);
            pos = static_cast<int>(std::min(before, line.size()));
        }
        return Acceptable;
    }
};

}  // namespace

void KeepOneLine(QLineEdit* edit) { edit->setValidator(new OneLineValidator(edit)); }
