#pragma once
// The settings file a first start writes, byte for byte (393 bytes): the
// oracle for the reader, the writer and the window's loading and saving,
// written out here rather than taken from the program.  With it, helpers
// that make other files from it by lines.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

inline const std::string kDefaultSettingsFile = "118,\"Start_Key_Code\"\r\n"
                                                "65,\"Restart_Key_Code\"\r\n"
                                                "119,\"Stop_Key_Code\"\r\n"
                                                "100,\"Beep_Pitch\"\r\n"
                                                "25,\"Beep_Duration\"\r\n"
                                                "19,\"Cycle_Repetitions\"\r\n"
                                                "5,\"Warning_Beeps_per_Second\"\r\n"
                                                "0,\"Custom_Beeps_yes1_no0\"\r\n"
                                                "60,\"Cycle_Time\"\r\n"
                                                "1,\"Cycle_Units_sec1_min0\"\r\n"
                                                "1,\"Enable_Periodic_Warnings_During_Cycle\"\r\n"
                                                "10,\"Periodic_Warning_Time.\"\r\n"
                                                "1,\"Enable_Final_Countdown\"\r\n"
                                                "5,\"Final_Countdown_Time\"\r\n"
                                                "1,\"Final_Countdown_Beeps_Per_Second\"\r\n";

// Record numbers (1-based) with the value text each gets.
using RecordValues = std::vector<std::pair<int, std::string>>;

// The default file with the values of some records replaced, labels kept,
// and a tail (a beep list) after record 15.
inline std::string defaultFileWith(const RecordValues& changes, const std::string& tail = {}) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < kDefaultSettingsFile.size();) {
        const std::size_t end = kDefaultSettingsFile.find("\r\n", pos) + 2;
        lines.push_back(kDefaultSettingsFile.substr(pos, end - pos));
        pos = end;
    }
    for (const auto& [record, value] : changes) {
        std::string& line = lines.at(static_cast<std::size_t>(record - 1));
        line.replace(0, line.find(','), value);
    }
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text + tail;
}

// The default file with the custom list switched on and this list behind it.
inline std::string customListFile(const std::string& list) {
    return defaultFileWith({{8, "1"}}, list);
}

// The first n lines of a text whose lines end with CR LF.
inline std::string firstLines(const std::string& text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i)
        pos = text.find("\r\n", pos) + 2;
    return text.substr(0, pos);
}

// A line inserted after the given line (1-based).
inline std::string insertAfter(const std::string& text, std::size_t lineNo, const std::string& line) {
    const std::string head = firstLines(text, lineNo);
    return head + line + "\r\n" + text.substr(head.size());
}

// The text with every carriage return taken out: line feeds alone.
inline std::string lineFeedsOnly(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != '\r')
            s += c;
    return s;
}

// The lines 1, 2, ... n, each ended by CR LF.
inline std::string countingLines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += std::to_string(i) + "\r\n";
    return text;
}

} // namespace testing_support
