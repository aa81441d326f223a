// The drive, directory and file lists of the main window (Drive1, Dir1,
// File1). The drive list holds the mounted volumes and the home directory;
// choosing a drive shows its directories, choosing a directory its files.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QListView;
class QTreeView;
class QWidget;

namespace torvane::app {

class FolderFileModel;

class InputFileLists : public QObject {
    Q_OBJECT

public:
    explicit InputFileLists(QWidget* parent);

    QComboBox* DriveList() const { return drives_; }
    QTreeView* DirectoryList() const { return directories_; }
    QListView* FileList() const { return files_; }

    // The directory whose files the file list shows.
    QString FileListPath() const { return filesPath_; }

    // Points all three lists at `filePath` (its bytes, as the file system
    // names it; relative to the working directory unless it starts at the
    // root) and selects it there, as if the user had chosen it in the file
    // list. False when it is no regular file.
    bool SelectFile(const QByteArray& filePath);

signals:
    // A file was chosen in the file list: its directory and its name, as bytes.
    void FileChosen(const QByteArray& directory, const QByteArray& name);

private:
    void FillDriveList();
    void ShowDrive(int index);
    void ShowDirectory(const QString& path);
    void ChooseFileAt(const QModelIndex& index);

    QComboBox* drives_;
    QTreeView* directories_;
    QListView* files_;
    QFileSystemModel* directoryModel_;
    FolderFileModel* fileModel_;
    QString filesPath_;
    bool selecting_ = false;
};

}  // namespace torvane::app
