#include "folder_file_model.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <string>

#include "convert/files/platform/folder_listing.h"
#include "widget_helpers.h"

namespace torvane::app {

FolderFileModel::FolderFileModel(QObject* parent) : QAbstractListModel(parent) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderFileModel::Refresh);
}

void FolderFileModel::SetFolder(const QByteArray& folder) {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    beginResetModel();
    folder_ = folder;
    entries_ = ReadFolder();
    endResetModel();
    if (!folder_.isEmpty()) watcher_.addPath(QFile::decodeName(folder_));
}

std::vector<FolderFileModel::Entry> FolderFileModel::ReadFolder() const {
    std::vector<std::string> names;
    std::vector<Entry> entries;
    if (folder_.isEmpty() || !platform::ListRegularFiles(folder_.toStdString(), names)) return entries;
    entries.reserve(names.size());
    for (const std::string& name : names) entries.push_back({QByteArray::fromStdString(name), TextFromBytes(name)});
    // As a file manager sorts: letters whatever their case, numbers by value.
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        const int order = collator.compare(a.shown, b.shown);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return entries;
}

void FolderFileModel::Refresh() {
    const std::vector<Entry> now = ReadFolder();
    const auto holds = [](const std::vector<Entry>& entries, const QByteArray& name) {
        return std::any_of(entries.begin(), entries.end(), [&name](const Entry& e) { return e.name == name; });
    };
    for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
        if (holds(now, entries_[static_cast<std::size_t>(row)].name)) continue;
        beginRemoveRows({}, row, row);
        entries_.erase(entries_.begin() + row);
        endRemoveRows();
    }
    // What remains is in the order of `now`; the new names go between.
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (i < entries_.size() && entries_[i].name == now[i].name) continue;
        const int row = static_cast<int>(i);
        beginInsertRows({}, row, row);
        entries_.insert(entries_.begin() + row, now[i]);
        endInsertRows();
    }
}

int FolderFileModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant FolderFileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return entries_[static_cast<std::size_t>(index.row())].shown;
    return {};
}

QByteArray FolderFileModel::NameAt(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    return entries_[static_cast<std::size_t>(index.row())].name;
}

QModelIndex FolderFileModel::IndexOfName(const QByteArray& name) const {
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        if (entries_[row].name == name) return index(static_cast<int>(row));
    }
    return {};
}

}  // namespace torvane::app
