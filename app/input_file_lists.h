// The drive, directory and file lists of the main window (Drive1, Dir1,
// File1). The drive list holds the mounted volumes and the home directory;
// choosing a drive shows its directories, choosing a directory its files.
#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QListView;
class QTreeView;
class QWidget;

namespace torvane::app {

class InputFileLists : public QObject {
    Q_OBJECT

public:
    explicit InputFileLists(QWidget* parent);

    QComboBox* DriveList() const { return drives_; }
    QTreeView* DirectoryList() const { return directories_; }
    QListView* FileList() const { return files_; }

    // The directory whose files the file list shows.
    QString FileListPath() const { return filesPath_; }

    // Points all three lists at `filePath` and selects it there, as if the
    // user had chosen it in the file list. False when it is no regular file.
    bool SelectFile(const QString& filePath);

signals:
    // A file was chosen in the file list: its directory and its name.
    void FileChosen(const QString& directory, const QString& name);

private:
    void FillDriveList();
    void ShowDrive(int index);
    void ShowDirectory(const QString& path);
    void HideFolders();
    void ChooseFileAt(const QModelIndex& index);

    QComboBox* drives_;
    QTreeView* directories_;
    QListView* files_;
    QFileSystemModel* directoryModel_;
    QFileSystemModel* fileModel_;
    QString filesPath_;
    bool selecting_ = false;
};

}  // namespace torvane::app
