#include "input_file_lists.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "folder_file_model.h"

namespace torvane::app {
namespace {

// Whether `path` lies in the directory `root` (or is it).
bool IsUnder(const QString& path, const QString& root) {
    if (root == QDir::rootPath()) return path.startsWith(root);
    return path == root || path.startsWith(root + u'/');
}

// Rows tall enough for the marks above capitals ("Flug \u00d6 2009.igc"),
// which rise above the font's ascent and would be cut off at the top of
// a row only as tall as the font.
class MarkedCapitalsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics& metrics = option.fontMetrics;
        const int rise =
            std::max(0, -metrics.tightBoundingRect(QStringLiteral("\u00c5\u00d6\u00c9")).top() - metrics.ascent());
        // The text is centred in its row: room above it is room below it too.
        size.setHeight(std::max(size.height(), metrics.height() + 2 * rise));
        return size;
    }
};

}  // namespace

InputFileLists::InputFileLists(QWidget* parent)
    : QObject(parent),
      drives_(new QComboBox(parent)),
      directories_(new QTreeView(parent)),
      files_(new QListView(parent)),
      directoryModel_(new QFileSystemModel(this)),
      fileModel_(new FolderFileModel(this)) {
    drives_->setObjectName(QStringLiteral("Drive1"));
    directories_->setObjectName(QStringLiteral("Dir1"));
    files_->setObjectName(QStringLiteral("File1"));

    directoryModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    directories_->setModel(directoryModel_);
    directories_->setItemDelegate(new MarkedCapitalsDelegate(directories_));
    directories_->setHeaderHidden(true);
    for (int column = 1; column < directoryModel_->columnCount(); ++column) directories_->hideColumn(column);
    directories_->setSelectionMode(QAbstractItemView::SingleSelection);
    directories_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // A file that vanishes from the folder moves the list's selection on to
    // another row; that is no choice of the user's. Connected before the
    // list is, so the guard stands while the list moves its selection.
    connect(fileModel_, &FolderFileModel::rowsAboutToBeRemoved, this, [this] { selecting_ = true; });
    files_->setModel(fileModel_);
    files_->setItemDelegate(new MarkedCapitalsDelegate(files_));
    connect(fileModel_, &FolderFileModel::rowsRemoved, this, [this] { selecting_ = false; });
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    files_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // A list follows a choice made with the mouse or the keyboard; merely
    // moving the focus into a list chooses nothing.
    connect(directories_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.indexes().isEmpty()) ShowDirectory(directoryModel_->filePath(selected.indexes().first()));
            });
    connect(files_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selecting_ && !selected.indexes().isEmpty()) ChooseFileAt(selected.indexes().first());
            });
    // Clicking the chosen file again chooses it again.
    connect(files_, &QListView::clicked, this, &InputFileLists::ChooseFileAt);

    FillDriveList();
    connect(drives_, &QComboBox::currentIndexChanged, this, &InputFileLists::ShowDrive);
    ShowDrive(drives_->currentIndex());
}

void InputFileLists::FillDriveList() {
    const QString home = QDir::homePath();
    drives_->addItem(QStringLiteral("%1  [home]").arg(home), home);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir()) continue;
        const QString root = volume.rootPath();
        if (drives_->findData(root) >= 0) continue;
        const QString name = volume.name();
        drives_->addItem(name.isEmpty() ? root : QStringLiteral("%1  [%2]").arg(root, name), root);
    }
    drives_->setCurrentIndex(0);
}

void InputFileLists::ShowDrive(int index) {
    if (index < 0) return;
    const QString root = drives_->itemData(index).toString();
    directoryModel_->setRootPath(root);
    directories_->setRootIndex(directoryModel_->index(root));
    directories_->selectionModel()->clearSelection();
    ShowDirectory(root);
}

// The file list reads the folder itself, at once: a listing that comes
// later cannot take the list away from the folder shown, and names that
// are not UTF-8 are listed too.
void InputFileLists::ShowDirectory(const QString& path) {
    filesPath_ = path;
    fileModel_->SetFolder(QFile::encodeName(path));
}

void InputFileLists::ChooseFileAt(const QModelIndex& index) {
    const QByteArray name = fileModel_->NameAt(index);
    if (name.isEmpty()) return;
    emit FileChosen(fileModel_->Folder(), name);
}

bool InputFileLists::SelectFile(const QByteArray& filePath) {
    namespace fs = std::filesystem;
    std::error_code failure;
    const fs::path file = fs::absolute(fs::path(filePath.toStdString()), failure).lexically_normal();
    if (failure || !fs::is_regular_file(file, failure)) return false;
    const QByteArray directoryBytes = QByteArray::fromStdString(file.parent_path().string());
    const QByteArray name = QByteArray::fromStdString(file.filename().string());
    const QString directory = QFile::decodeName(directoryBytes);

    // The drive that holds the file most closely.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        const QString root = drives_->itemData(i).toString();
        if (IsUnder(directory, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) drives_->setCurrentIndex(best);

    const QModelIndex directoryIndex = directoryModel_->index(directory);
    if (directoryIndex.isValid() && directoryIndex != directories_->rootIndex()) {
        directories_->setCurrentIndex(directoryIndex);
        directories_->scrollTo(directoryIndex);
    }
    filesPath_ = directory;
    fileModel_->SetFolder(directoryBytes);

    const QModelIndex fileIndex = fileModel_->IndexOfName(name);
    selecting_ = true;
    files_->setCurrentIndex(fileIndex);
    selecting_ = false;
    files_->scrollTo(fileIndex);
    emit FileChosen(directoryBytes, name);
    return true;
}

}  // namespace torvane::app
