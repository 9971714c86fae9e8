#include "units/unit_table.h"

#include "platform/number_text.h"
#include "platform/text.h"
#include "units/unit_identity.h"

#include <optional>

// The text of res/unit_conversions.txt, compiled in by the build.
extern const char kUnitTableText[];

namespace {

std::u16string_view Trim(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u" \t\r");
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(u" \t\r") - first + 1);
}

// "<reference unit> * <factor>", then "+ <offset>" or "- <offset>" where the
// relation is not a plain factor; the numbers in the plain "0.0555" form.
std::optional<UnitScale> ReadScale(std::u16string_view formula,
                                   const std::u16string& referenceKey) {
    const std::size_t times = formula.rfind(u" * ");
    if (times == formula.npos || UnitKey(formula.substr(0, times)) != referenceKey)
        return std::nullopt;
    std::u16string_view rest = Trim(formula.substr(times + 3));
    const std::size_t blank = rest.find(u' ');
    const std::optional<double> factor = ReadNumber(rest.substr(0, blank), kPlainNumbers);
    if (!factor || *factor <= 0) return std::nullopt;
    UnitScale scale{{}, *factor, 0};
    if (blank == rest.npos) return scale;
    rest = Trim(rest.substr(blank));
    const char16_t sign = rest.front();
    const std::optional<double> offset = ReadNumber(Trim(rest.substr(1)), kPlainNumbers);
    if ((sign != u'+' && sign != u'-') || !offset || *offset < 0) return std::nullopt;
    scale.offset = sign == u'-' ? -*offset : *offset;
    return scale;
}

class TableReader {
public:
    UnitTable Read(std::u16string_view text) {
        int number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find(u'\n');
            ReadLine(Trim(text.substr(0, end)), ++number);
            text = end == text.npos ? std::u16string_view() : text.substr(end + 1);
        }
        FinishEntry();
        return std::move(table_);
    }

private:
    void ReadLine(std::u16string_view line, int number) {
        line_ = number;
        if (line.empty() || line.front() == u'#') return;
        const std::size_t colon = line.find(u':');
        const std::u16string_view key = line.substr(0, colon);
        const std::u16string_view value = colon == line.npos ? u"" : Trim(line.substr(colon + 1));
        if (key == u"analyte") {
            FinishEntry();
            open_ = true;
            start_ = number;
            entry_ = {std::u16string(value), {}};
            names_.clear();
            hasSource_ = false;
        } else if (!open_) {
            Complain("a line before the first analyte");
        } else if (value.empty()) {
            Complain("a line without a value");
        } else if (key == u"name") {
            std::u16string name = ResultNameKey(value);
            if (name.empty()) return Complain("a name without letters or digits");
            names_.push_back({std::move(name), number});
        } else if (key == u"unit") {
            ReadUnit(value);
        } else if (key == u"source") {
            hasSource_ = true;
        } else {
            Complain("an unknown key");
        }
    }

    void ReadUnit(std::u16string_view value) {
        const std::size_t equals = value.find(u" = ");
        const std::u16string key = UnitKey(value.substr(0, equals));
        if (key.empty()) return Complain("a unit without a name");
        for (const UnitScale& known : entry_.units)
            if (known.key == key) return Complain("a unit named twice");
        if (entry_.units.empty()) {
            if (equals != value.npos) return Complain("the reference unit given a formula");
            entry_.units.push_back({key, 1, 0});
            return;
        }
        std::optional<UnitScale> scale;
        if (equals != value.npos) scale = ReadScale(value.substr(equals + 3), entry_.units[0].key);
        if (!scale) return Complain("not \"unit = reference unit * factor [+|- offset]\"");
        scale->key = key;
        entry_.units.push_back(std::move(*scale));
    }

    // Adds the open entry when it is whole; an entry without a name, a second
    // unit or a source is left out.
    void FinishEntry() {
        if (!open_) return;
        open_ = false;
        if (entry_.name.empty() || names_.empty() || entry_.units.size() < 2 || !hasSource_) {
            Complain(start_, "an analyte without a name, two units and a source");
            return;
        }
        const std::size_t index = table_.analytes.size();
        table_.analytes.push_back(std::move(entry_));
        for (const auto& [name, number] : names_)
            if (!table_.byName.emplace(name, index).second) Complain(number, "a name given twice");
    }

    void Complain(const char* why) { Complain(line_, why); }
    void Complain(int number, const char* why) {
        table_.problems.push_back("line " + std::to_string(number) + ": " + why);
    }

    UnitTable table_;
    Analyte entry_;
    std::vector<std::pair<std::u16string, int>> names_;
    bool open_ = false;
    bool hasSource_ = false;
    int start_ = 0;
    int line_ = 0;
};

}  // namespace

const UnitScale* Analyte::FindUnit(std::u16string_view unit) const {
    const std::u16string key = UnitKey(unit);
    for (const UnitScale& scale : units)
        if (scale.key == key) return &scale;
    return nullptr;
}

const Analyte* UnitTable::FindAnalyte(std::u16string_view resultName) const {
    const auto found = byName.find(ResultNameKey(resultName));
    return found == byName.end() ? nullptr : &analytes[found->second];
}

UnitTable ReadUnitTable(std::string_view text) { return TableReader().Read(Utf8ToText(text)); }

const UnitTable& ShippedUnitTable() {
    static const UnitTable table = ReadUnitTable(kUnitTableText);
    return table;
}
