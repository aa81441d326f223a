// The files of one folder for the file list (File1), read at once when the
// folder is set and again whenever the folder changes. Each row keeps the
// name's bytes as the file system holds them; a name that is not UTF-8 is
// shown as Latin-1, and is still the file it names.
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QFileSystemWatcher>
#include <QString>

#include <vector>

namespace torvane::app {

class FolderFileModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FolderFileModel(QObject* parent = nullptr);

    // Lists the files of `folder` (its path as bytes) and follows its changes.
    void SetFolder(const QByteArray& folder);
    const QByteArray& Folder() const { return folder_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The name's bytes at `index`; empty for an invalid index.
    QByteArray NameAt(const QModelIndex& index) const;
    // The row of the file named `name`, or an invalid index.
    QModelIndex IndexOfName(const QByteArray& name) const;

private:
    struct Entry {
        QByteArray name;
        QString shown;
    };
    std::vector<Entry> ReadFolder() const;
    void Refresh();  // the folder changed: rows removed and inserted, the others kept

    QByteArray folder_;
    std::vector<Entry> entries_;  // in the order shown
    QFileSystemWatcher watcher_;
};

}  // namespace torvane::app
