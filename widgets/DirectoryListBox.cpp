#include "widgets/DirectoryListBox.h"

#include <QByteArray>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "widgets/Application.h"
#include "widgets/FileNames.h"
#include "widgets/Volumes.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;       // the row's directory, as bytes
constexpr int kLevelRole = Qt::UserRole + 1;  // depth below the volume's mount point
constexpr int kIndentStep = 10;

[[noreturn]] void Fail(const std::string& directory, const std::error_code& error) {
  throw EInOutError("I/O error: " + DecodedFileName(directory).toStdString() + ": " +
                    error.message());
}

// Each row is drawn indented by its depth, so the chain reads as a path.
class TIndentDelegate : public QStyledItemDelegate {
 public:
  TIndentDelegate(const TDirectoryListBox& list, QObject* parent)
      : QStyledItemDelegate(parent), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem indented(option);
    indented.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndentStep);
    QStyledItemDelegate::paint(painter, indented, index);
  }

  [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                               const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += index.data(kLevelRole).toInt() * kIndentStep;
    size.setHeight(list_.ItemHeight());
    return size;
  }

 private:
  const TDirectoryListBox& list_;
};

struct TSubdirectory {
  std::string Name;  // as the file system has it
  QString Shown;     // decoded for display
};

// The visible subdirectories of `directory` by name, sorted as people read them.
std::vector<TSubdirectory> Subdirectories(const std::string& directory) {
  std::error_code error;
  fs::directory_iterator entries(directory, error);
  if (error) {
    Fail(directory, error);
  }
  std::vector<TSubdirectory> names;
  for (; entries != fs::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().native();
    std::error_code typeError;  // a dangling link is simply not a directory
    if (!name.starts_with('.') && entries->is_directory(typeError)) {
      names.push_back({name, DecodedFileName(name)});
    }
  }
  if (error) {
    Fail(directory, error);
  }
  std::sort(names.begin(), names.end(), [](const TSubdirectory& a, const TSubdirectory& b) {
    const int order = a.Shown.compare(b.Shown, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.Name < b.Name;
  });
  return names;
}

std::string Join(const std::string& directory, const std::string& name) {
  return directory == "/" ? "/" + name : directory + "/" + name;
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
  auto* delegate = new TIndentDelegate(*this, this);  // NOLINT(cppcoreguidelines-owning-memory)
  setItemDelegate(delegate);
  setUniformItemSizes(true);
  setIconSize(QSize(16, 16));
  setSelectionMode(QAbstractItemView::SingleSelection);
  std::error_code error;
  const fs::path workingDirectory = fs::current_path(error);
  try {
    SetDirectory(error ? std::string("/") : workingDirectory.native());
  } catch (const EInOutError&) {
    // A working directory that is gone or unreadable: start at the root instead.
    SetDirectory("/");
  }
}

void TDirectoryListBox::SetDirectory(const std::string& directory) {
  if (directory.empty()) {
    throw EInOutError("I/O error: no directory given");
  }
  std::error_code error;
  const fs::path absolute = fs::absolute(directory, error);
  if (error) {
    Fail(directory, error);
  }
  const std::string opened = fs::canonical(absolute, error).native();
  if (error) {
    Fail(directory, error);
  }
  // Everything is read before anything changes, so a failure leaves the list as it was.
  const std::vector<TSubdirectory> subdirectories = Subdirectories(opened);
  const std::string mountPoint = VolumeRootOf(opened);

  std::vector<std::string> chain{mountPoint};
  for (const fs::path& part : fs::path(opened).lexically_relative(mountPoint)) {
    if (part != ".") {
      chain.push_back(Join(chain.back(), part.native()));
    }
  }

  clear();
  const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirIcon);
  auto addRow = [this](const QIcon& icon, const QString& text, const std::string& path, int level) {
    // Owned by the list.
    auto* row = new QListWidgetItem(icon, text, this);  // NOLINT(cppcoreguidelines-owning-memory)
    row->setData(kPathRole, QByteArray::fromStdString(path));
    row->setData(kLevelRole, level);
    row->setToolTip(DecodedFileName(path));
  };
  for (size_t level = 0; level < chain.size(); ++level) {
    const std::string& path = chain[level];
    addRow(openFolder,
           level == 0 ? DecodedFileName(path) : DecodedFileName(fs::path(path).filename().native()),
           path, static_cast<int>(level));
  }
  for (const TSubdirectory& subdirectory : subdirectories) {
    addRow(closedFolder, subdirectory.Shown, Join(opened, subdirectory.Name),
           static_cast<int>(chain.size()));
  }
  setCurrentRow(static_cast<int>(chain.size()) - 1);

  const bool changed = opened != directory_;
  directory_ = opened;
  if (changed) {
    emit DirectoryChanged();
  }
}

std::string TDirectoryListBox::RowDirectory(int row) const {
  const QListWidgetItem* rowItem = item(row);
  return rowItem != nullptr ? rowItem->data(kPathRole).toByteArray().toStdString() : std::string();
}

void TDirectoryListBox::SetItemHeight(int height) {
  itemHeight_ = height;
  doItemsLayout();
}

void TDirectoryListBox::OpenRow(int row) {
  const std::string directory = RowDirectory(row);
  if (!directory.empty()) {
    Application().Guard([this, &directory] { SetDirectory(directory); });
  }
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenRow(currentRow());
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) {
    OpenRow(index.row());
  }
}
