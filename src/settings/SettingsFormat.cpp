#include "settings/SettingsFormat.h"

#include "engine/NumberText.h"

#include <algorithm>

namespace sorvane {

std::string completeSettingsName(const std::string& name) {
    if (name.empty())
        return kDefaultSettingsName;
    if (name.find('.') == std::string::npos)
        return name + ".ini";
    return name;
}

namespace {

// Every record holds one setting of its own kind, and no two records the same.
constexpr bool recordsAreConsistent() {
    for (std::size_t i = 0; i < kSettingsRecordCount; ++i) {
        const SettingsRecord& r = kSettingsRecords[i];
        const bool whole = r.kind == RecordKind::KeyCode || r.kind == RecordKind::CheckState;
        if ((r.whole != nullptr) != whole || (r.number != nullptr) != (r.kind == RecordKind::Number) ||
            (r.option != nullptr) != (r.kind == RecordKind::UnitOption))
            return false;
        if (!r.shiftLabel.empty() && r.kind != RecordKind::KeyCode)
            return false;
        for (std::size_t k = 0; k < i; ++k) {
            const SettingsRecord& o = kSettingsRecords[k];
            if ((r.whole && o.whole == r.whole) || (r.number && o.number == r.number) ||
                (r.option && o.option == r.option))
                return false;
        }
    }
    return true;
}
static_assert(recordsAreConsistent());

// Whole numbers are written as integers, text-box numbers as TextFromNumber
// writes them, without the leading blank.
std::string recordText(const SettingsValues& v, const SettingsRecord& r) {
    switch (r.kind) {
    case RecordKind::KeyCode:
    case RecordKind::CheckState:
        return std::to_string(v.*r.whole);
    case RecordKind::Number:
        return bareTextFromDouble(v.*r.number);
    case RecordKind::UnitOption:
        return v.*r.option ? "1" : "0";
    }
    return {};
}

} // namespace

std::string settingsFileText(const SettingsValues& v, const BeepTable& table) {
    std::string out;
    for (const SettingsRecord& r : kSettingsRecords) {
        out += recordText(v, r);
        out += ",\"";
        out += r.label;
        out += "\"\r\n";
    }
    if (v.customList == 1) {
        for (const float moment : table) {
            if (moment == 0.0f)
                break;
            out += bareTextFromSingle(moment);
            out += "\r\n";
        }
    }
    return out;
}

namespace {

// Splits the file into fields: a field ends at a comma or a line end (CR,
// LF or CR LF); blanks before a field are skipped; a field that begins with
// a double quote runs to the next double quote, and whatever follows it up
// to the comma or line end is passed over.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    std::string_view next() {
        while (!atEnd() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
        std::string_view field;
        if (!atEnd() && m_text[m_pos] == '"') {
            const std::size_t open = ++m_pos;
            const std::size_t close = m_text.find('"', open);
            const std::size_t stop = close == std::string_view::npos ? m_text.size() : close;
            field = m_text.substr(open, stop - open);
            m_pos = stop == m_text.size() ? stop : stop + 1;
            while (!atEnd() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        } else {
            const std::size_t start = m_pos;
            while (!atEnd() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
            field = m_text.substr(start, m_pos - start);
        }
        skipDelimiter();
        return field;
    }

private:
    static bool isDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }
    void skipDelimiter() {
        if (atEnd())
            return;
        if (m_text[m_pos] == '\r') {
            ++m_pos;
            if (!atEnd() && m_text[m_pos] == '\n')
                ++m_pos;
            return;
        }
        ++m_pos; // comma or line feed
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

float fieldValue(std::string_view field) {
    return toSingle(numberFromText(field));
}

void setFromRecord(SettingsValues& v, const SettingsRecord& r, float number) {
    switch (r.kind) {
    case RecordKind::KeyCode:
        v.*r.whole = toInt16(number);
        break;
    case RecordKind::CheckState:
        v.*r.whole = static_cast<int16_t>(std::clamp<int>(toInt16(number), 0, 2));
        break;
    case RecordKind::Number:
        v.*r.number = number;
        break;
    case RecordKind::UnitOption:
        v.*r.option = number != 0.0f;
        break;
    }
}

} // namespace

SettingsRead readSettingsText(std::string_view text) {
    SettingsRead result;
    FieldReader in(text);
    for (std::size_t i = 0; i < kSettingsRecordCount; ++i) {
        if (in.atEnd())
            return result; // the file ends early: the rest stays unread
        float value = fieldValue(in.next());
        std::string_view label = in.next();
        // A key code may be followed by its shift record, which is dropped.
        const std::string_view shiftLabel = i > 0 ? kSettingsRecords[i - 1].shiftLabel : std::string_view();
        if (!shiftLabel.empty() && label == shiftLabel) {
            if (in.atEnd())
                return result;
            value = fieldValue(in.next());
            label = in.next();
        }
        setFromRecord(result.values, kSettingsRecords[i], value);
        result.recordCount = i + 1;
    }

    // Only a custom-list state of exactly 1 has a list.
    if (result.values.customList == 1) {
        result.listRead = true;
        std::size_t index = 0;
        bool ended = false; // a 0 value ends the table for every reader
        while (!in.atEnd()) {
            const float value = fieldValue(in.next());
            if (index >= kMaxBeepMoments) {
                // Only a value that would have been played is a loss.
                result.listCut = !ended && value != 0.0f;
                break;
            }
            ended = ended || value == 0.0f;
            result.list[index++] = value;
        }
        result.list[index] = 0.0f;
        result.listLength = index;
    }
    return result;
}

} // namespace sorvane
