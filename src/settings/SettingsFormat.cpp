#include "settings/SettingsFormat.h"

#include "engine/NumberText.h"

namespace sorvane {

std::string completeSettingsName(const std::string& name) {
    if (name.empty())
        return kDefaultSettingsName;
    if (name.find('.') == std::string::npos)
        return name + ".ini";
    return name;
}

namespace {

constexpr const char* kLabels[15] = {
    "Start_Key_Code",
    "Restart_Key_Code",
    "Stop_Key_Code",
    "Beep_Pitch",
    "Beep_Duration",
    "Cycle_Repetitions",
    "Warning_Beeps_per_Second",
    "Custom_Beeps_yes1_no0",
    "Cycle_Time",
    "Cycle_Units_sec1_min0",
    "Enable_Periodic_Warnings_During_Cycle",
    "Periodic_Warning_Time.",
    "Enable_Final_Countdown",
    "Final_Countdown_Time",
    "Final_Countdown_Beeps_Per_Second",
};

// Shift records that may follow the three key-code records; they are read
// and dropped.
constexpr const char* kShiftLabels[3] = {
    "Start_Key_Shift1_Ctrl2_Alt4_Code",
    "Restart_Key_Shift1_Ctrl2_Alt4_Code",
    "Stop_Key_Shift1_Ctrl2_Alt4_Code",
};

void record(std::string& out, const std::string& value, const char* label) {
    out += value;
    out += ",\"";
    out += label;
    out += "\"\r\n";
}

std::string integer(int value) {
    return std::to_string(value);
}

} // namespace

std::string settingsFileText(const SettingsValues& v, const BeepTable& table) {
    std::string out;
    record(out, integer(v.startKey), kLabels[0]);
    record(out, integer(v.restartKey), kLabels[1]);
    record(out, integer(v.stopKey), kLabels[2]);
    record(out, bareTextFromDouble(v.beepPitch), kLabels[3]);
    record(out, bareTextFromDouble(v.beepDuration), kLabels[4]);
    record(out, bareTextFromDouble(v.repetitions), kLabels[5]);
    record(out, bareTextFromDouble(v.warnRate), kLabels[6]);
    record(out, integer(v.customList), kLabels[7]);
    record(out, bareTextFromDouble(v.cycleTime), kLabels[8]);
    record(out, integer(v.secondsUnit ? 1 : 0), kLabels[9]);
    record(out, integer(v.warnings), kLabels[10]);
    record(out, bareTextFromDouble(v.warnInterval), kLabels[11]);
    record(out, integer(v.finalCount), kLabels[12]);
    record(out, bareTextFromDouble(v.finalCountTime), kLabels[13]);
    record(out, bareTextFromDouble(v.finalCountGap), kLabels[14]);
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

} // namespace

std::size_t SettingsRead::recordsRead() const {
    std::size_t n = 0;
    while (n < records.size() && records[n])
        ++n;
    return n;
}

SettingsRead readSettingsText(std::string_view text) {
    SettingsRead result;
    FieldReader in(text);
    for (std::size_t i = 0; i < result.records.size(); ++i) {
        if (in.atEnd())
            return result; // the file ends early: the rest stays unread
        float value = fieldValue(in.next());
        std::string_view label = in.next();
        // After each key code a shift record may follow; it is dropped.
        if (i >= 1 && i <= 3 && label == kShiftLabels[i - 1]) {
            if (in.atEnd())
                return result;
            value = fieldValue(in.next());
            label = in.next();
        }
        result.records[i] = value;
    }

    // The check state is the rounded number: only a state of exactly 1 has a list.
    if (toInt16(*result.records[7]) == 1) {
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
