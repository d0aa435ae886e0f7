#include "ui/SettingsFileList.h"

#include "settings/SettingsFile.h"
#include "ui/FileNameText.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace sorvane::ui {

void SettingsFileList::refresh(const QString& currentFile) {
    struct Entry {
        QString shown; // replacement characters where the name is not UTF-8
        QString name;
        std::string bytes;
    };
    std::vector<Entry> entries;
    for (std::string& bytes : listSettingsFiles(m_folderBytes))
        entries.push_back({shownBytes(bytes), nameText(bytes), std::move(bytes)});
    // The order of a file dialog: letter case aside, numbers by their value
    // (a2 before a10).  The C locale compares code points and knows no
    // numbers; the common order of Unicode, which English uses, stands in.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        const int order = collator.compare(a.shown, b.shown);
        return order != 0 ? order < 0 : a.bytes < b.bytes;
    });

    bool same = count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < count(); ++i)
        same = fileName(item(i)) == entries[static_cast<std::size_t>(i)].name;
    if (!same) {
        clear();
        for (const Entry& e : entries) {
            auto* entry = new QListWidgetItem(e.shown, this);
            entry->setData(Qt::UserRole, e.name);
        }
    }
    showFile(currentFile);
}

QListWidgetItem* SettingsFileList::itemOf(const QString& file) const {
    for (int i = 0; i < count(); ++i) {
        if (fileName(item(i)) == file)
            return item(i);
    }
    const std::string path = nameBytes(file);
    for (int i = 0; i < count(); ++i) {
        if (isSameFile(m_folderBytes + "/" + nameBytes(fileName(item(i))), path))
            return item(i);
    }
    return nullptr;
}

void SettingsFileList::showFile(const QString& currentFile) {
    if (QListWidgetItem* entry = itemOf(currentFile)) {
        setCurrentItem(entry);
        scrollToItem(entry);
    } else {
        setCurrentItem(nullptr);
        clearSelection();
    }
}

} // namespace sorvane::ui
