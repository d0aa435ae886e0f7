#include "ui/SettingsBinding.h"

#include "engine/NumberText.h"
#include "settings/SettingsFormat.h"
#include "ui/VbControls.h"

#include <QLineEdit>

namespace sorvane::ui {

namespace {

void assign(QLineEdit* box, const std::string& text) {
    assignText(box, QString::fromStdString(text));
}

} // namespace

void SettingsBinding::bind(int16_t SettingsValues::*keyCode, int16_t* assignment) {
    m_targets.at(recordOf(keyCode)) = assignment;
}

void SettingsBinding::bind(double SettingsValues::*number, QLineEdit* box, DefaultText defaultText) {
    m_targets.at(recordOf(number)) = Box{box, defaultText};
}

void SettingsBinding::bind(int16_t SettingsValues::*checkState, VbCheckBox* box) {
    m_targets.at(recordOf(checkState)) = box;
}

void SettingsBinding::bind(bool SettingsValues::*secondsUnit, VbOptionButton* option) {
    m_targets.at(recordOf(secondsUnit)) = option;
}

void SettingsBinding::show(const SettingsRead& read) const {
    put(read.values, read.recordCount, Source::File);
}

void SettingsBinding::showDefaults() const {
    put(defaultSettings(), kSettingsRecordCount, Source::Defaults);
}

// A record bound to a control of another kind, or not bound at all, is a
// mistake in the window's code: std::get throws on it at the first load.
void SettingsBinding::put(const SettingsValues& values, std::size_t count, Source source) const {
    for (std::size_t i = 0; i < count && i < kSettingsRecordCount; ++i) {
        const SettingsRecord& r = kSettingsRecords[i];
        const Target& target = m_targets[i];
        switch (r.kind) {
        case RecordKind::KeyCode:
            *std::get<int16_t*>(target) = values.*r.whole;
            break;
        case RecordKind::Number: {
            const Box& b = std::get<Box>(target);
            const double number = values.*r.number;
            if (source == Source::File)
                assign(b.box, textFromSingle(static_cast<float>(number)));
            else if (b.defaultText == DefaultText::Plain)
                assign(b.box, bareTextFromDouble(number));
            else
                assign(b.box, textFromDouble(number));
            break;
        }
        case RecordKind::CheckState:
            std::get<VbCheckBox*>(target)->setValue(values.*r.whole);
            break;
        case RecordKind::UnitOption:
            std::get<VbOptionButton*>(target)->setChecked(values.*r.option);
            break;
        }
    }
}

SettingsValues SettingsBinding::values() const {
    SettingsValues v;
    for (std::size_t i = 0; i < kSettingsRecordCount; ++i) {
        const SettingsRecord& r = kSettingsRecords[i];
        const Target& target = m_targets[i];
        switch (r.kind) {
        case RecordKind::KeyCode:
            v.*r.whole = *std::get<int16_t*>(target);
            break;
        case RecordKind::Number:
            v.*r.number = numberFromText(std::get<Box>(target).box->text().toStdString());
            break;
        case RecordKind::CheckState:
            v.*r.whole = static_cast<int16_t>(std::get<VbCheckBox*>(target)->value());
            break;
        case RecordKind::UnitOption:
            v.*r.option = std::get<VbOptionButton*>(target)->isChecked();
            break;
        }
    }
    return v;
}

} // namespace sorvane::ui
