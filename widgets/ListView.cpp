#include "widgets/ListView.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPalette>
#include <QPixmap>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "widgets/ImageList.h"

namespace {

constexpr QSize kDefaultLargeIcon(32, 32);
constexpr QSize kDefaultSmallIcon(16, 16);

// The selection shows only while the view has the focus.
void HideSelectionWithoutFocus(QAbstractItemView& view) {
  QPalette palette = view.palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Inactive, QPalette::Text));
  view.setPalette(palette);
}

void SetCommonBehaviour(QAbstractItemView& view) {
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  HideSelectionWithoutFocus(view);
}

// In the icon styles every item fills its grid cell, so items stand at the cells' left edges
// and a label gets the cell's whole width.
class TCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void SetCell(QSize cell) { cell_ = cell; }

  [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                               const QModelIndex& index) const override {
    return cell_.isValid() ? cell_ : QStyledItemDelegate::sizeHint(option, index);
  }

 private:
  QSize cell_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The three styles that flow items over the area: icons (large or small, free to move about) and
// the column list.
class TIconModeView : public QListView {
 public:
  explicit TIconModeView(QWidget* parent) : QListView(parent), delegate_(new TCellDelegate(this)) {
    setItemDelegate(delegate_);
    setUniformItemSizes(true);  // one size for all: layout stays linear in the item count
    setTextElideMode(Qt::ElideRight);
    SetCommonBehaviour(*this);
  }

  void SetStyle(TViewStyle style, QSize iconSize) {
    style_ = style;
    setIconSize(iconSize);
    if (style == TViewStyle::vsList) {
      setViewMode(QListView::ListMode);
      setFlow(QListView::TopToBottom);
      setMovement(QListView::Static);
      setResizeMode(QListView::Adjust);
      setWordWrap(false);
      setGridSize(QSize());
      delegate_->SetCell(QSize());
    } else {
      const bool large = style == TViewStyle::vsIcon;
      const QFontMetrics metrics(font());
      setViewMode(QListView::IconMode);
      setFlow(QListView::LeftToRight);
      setMovement(QListView::Free);
      // No automatic arrangement: moved items stay where they were put until Arrange.
      setResizeMode(QListView::Fixed);
      setWordWrap(large);
      const QSize cell = large ? QSize(std::max(75, iconSize.width() + 43),
                                       iconSize.height() + 2 * metrics.lineSpacing() + 10)
                               : QSize(std::max(150, iconSize.width() + 110),
                                       std::max(iconSize.height(), metrics.lineSpacing()) + 4);
      delegate_->SetCell(cell);
      setGridSize(cell);
    }
    setWrapping(true);
    doItemsLayout();
  }

  // Moves an item in the icon styles (dragging does the same).
  void Place(const QModelIndex& index, QPoint position) { setPositionForIndex(position, index); }
  [[nodiscard]] QPoint ContentsPosition(const QModelIndex& index) const {
    return rectForIndex(index).topLeft();
  }

 protected:
  void initViewItemOption(QStyleOptionViewItem* option) const override {
    QListView::initViewItemOption(option);
    if (style_ == TViewStyle::vsSmallIcon) {
      // Small icons carry their label beside them, not below.
      option->decorationPosition = QStyleOptionViewItem::Left;
      option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
  }

 private:
  TCellDelegate* delegate_;  // owned by the view
  TViewStyle style_ = TViewStyle::vsIcon;
};

// The report style: one row per item, small icon and caption, under a header without captions
// (the view defines no columns, and hiding every item would show nothing at all).
class TReportView : public QTreeView {
 public:
  explicit TReportView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setIconSize(kDefaultSmallIcon);
    SetCommonBehaviour(*this);
  }

  [[nodiscard]] QPoint ContentsPosition(const QModelIndex& index) const {
    return visualRect(index).topLeft() + QPoint(horizontalOffset(), verticalOffset());
  }
};

// ---------------------------------------------------------------------------------------------

TListItem::~TListItem() = default;

void TListItem::SetCaption(const QString& caption) {
  caption_ = caption;
  owner_.ItemChanged(*this, Qt::DisplayRole);
}

void TListItem::SetImageIndex(int index) {
  imageIndex_ = index;
  owner_.ItemChanged(*this, Qt::DecorationRole);
}

void TListItem::SetData(std::unique_ptr<TIcon> data) {
  data_ = std::move(data);
}

// ---------------------------------------------------------------------------------------------

TListItems::TListItems(QObject* parent) : QAbstractListModel(parent) {}

TListItems::~TListItems() = default;

void TListItems::BeginUpdate() {
  if (updateCount_++ == 0) {
    emit UpdateBegun();
  }
}

void TListItems::EndUpdate() {
  if (updateCount_ == 0) {
    return;  // unbalanced: nothing to end
  }
  if (--updateCount_ == 0) {
    Publish();
    emit UpdateEnded();
  }
}

void TListItems::Publish() {
  const int count = Count();
  if (published_ < count) {
    beginInsertRows(QModelIndex(), published_, count - 1);
    published_ = count;
    endInsertRows();
  }
}

void TListItems::Clear() {
  beginResetModel();
  items_.clear();
  published_ = 0;
  endResetModel();
}

TListItem* TListItems::Add() {
  const int index = Count();
  // The constructor is private to keep items made only here.
  items_.push_back(std::unique_ptr<TListItem>(new TListItem(*this, index)));
  if (!Updating()) {
    Publish();
  }
  return items_.back().get();
}

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count()) {
    return nullptr;
  }
  return items_[static_cast<size_t>(index)].get();
}

void TListItems::SetImages(TImageList* images) {
  images_ = images;
  if (published_ > 0) {
    emit dataChanged(index(0), index(published_ - 1), {Qt::DecorationRole});
  }
}

void TListItems::ItemChanged(const TListItem& item, int role) {
  // Items still held back are shown with their final state when the update ends.
  if (item.Index() < published_) {
    const QModelIndex changed = index(item.Index());
    emit dataChanged(changed, changed, {role});
  }
}

int TListItems::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : published_;
}

QVariant TListItems::data(const QModelIndex& index, int role) const {
  const TListItem* item = index.row() < published_ ? Item(index.row()) : nullptr;
  if (item == nullptr || index.column() != 0) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:  // the whole caption where the cell cuts it short
      return item->Caption();
    case Qt::DecorationRole: {
      if (images_ == nullptr) {
        return {};
      }
      const QPixmap image = images_->Pixmap(item->ImageIndex());
      return image.isNull() ? QVariant() : QVariant(image);
    }
    default:
      return {};
  }
}

bool TListItems::setData(const QModelIndex& index, const QVariant& value, int role) {
  TListItem* item = index.row() < published_ ? Item(index.row()) : nullptr;
  if (item == nullptr || role != Qt::EditRole) {
    return false;
  }
  item->SetCaption(value.toString());
  return true;
}

Qt::ItemFlags TListItems::flags(const QModelIndex& index) const {
  if (!index.isValid()) {
    return Qt::NoItemFlags;
  }
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
         Qt::ItemNeverHasChildren;
}

QVariant TListItems::headerData(int /*section*/, Qt::Orientation /*orientation*/, int role) const {
  // The single column has no caption (not the section number Qt would show).
  return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
}

// ---------------------------------------------------------------------------------------------

TListView::TListView(QWidget* parent)
    : QWidget(parent),
      items_(new TListItems(this)),
      stack_(new QStackedLayout(this)),
      iconView_(new TIconModeView(this)),
      reportView_(new TReportView(this)) {
  stack_->setContentsMargins(0, 0, 0, 0);
  iconView_->setModel(items_);
  reportView_->setModel(items_);
  // One selection for both: switching the style keeps the selected item.
  QItemSelectionModel* spare = reportView_->selectionModel();
  reportView_->setSelectionModel(iconView_->selectionModel());
  spare->deleteLater();
  reportView_->header()->setStretchLastSection(true);
  stack_->addWidget(iconView_);
  stack_->addWidget(reportView_);
  setFocusProxy(iconView_);

  // Nothing is drawn while the items are being updated; enabling again redraws once.
  connect(items_, &TListItems::UpdateBegun, this, [this] { setUpdatesEnabled(false); });
  connect(items_, &TListItems::UpdateEnded, this, [this] { setUpdatesEnabled(true); });
  ApplyStyle();
}

TListView::~TListView() = default;

void TListView::SetViewStyle(TViewStyle style) {
  if (style == style_) {
    return;
  }
  style_ = style;
  ApplyStyle();
}

void TListView::ApplyStyle() {
  const bool hadFocus = stack_->currentWidget() != nullptr && stack_->currentWidget()->hasFocus();
  TImageList* images = style_ == TViewStyle::vsIcon ? largeImages_ : smallImages_;
  QAbstractItemView* shown = iconView_;
  if (style_ == TViewStyle::vsReport) {
    shown = reportView_;
  } else {
    const QSize fallback = style_ == TViewStyle::vsIcon ? kDefaultLargeIcon : kDefaultSmallIcon;
    iconView_->SetStyle(style_,
                        images != nullptr ? QSize(images->Width(), images->Height()) : fallback);
  }
  stack_->setCurrentWidget(shown);
  setFocusProxy(shown);
  if (hadFocus) {
    shown->setFocus();
  }
  items_->SetImages(images);
}

void TListView::Arrange() {
  if (style_ == TViewStyle::vsIcon || style_ == TViewStyle::vsSmallIcon) {
    iconView_->doItemsLayout();
  }
}

void TListView::SetLargeImages(TImageList* images) {
  if (largeImages_ != nullptr) {
    disconnect(largeImages_, nullptr, this, nullptr);
  }
  largeImages_ = images;
  if (images != nullptr) {
    connect(images, &TImageList::Changed, this, [this] { iconView_->viewport()->update(); });
  }
  ApplyStyle();
}

void TListView::SetSmallImages(TImageList* images) {
  if (smallImages_ != nullptr) {
    disconnect(smallImages_, nullptr, this, nullptr);
  }
  smallImages_ = images;
  if (images != nullptr) {
    connect(images, &TImageList::Changed, this, [this] {
      iconView_->viewport()->update();
      reportView_->viewport()->update();
    });
  }
  ApplyStyle();
}

QPoint TListView::ItemPosition(int index) const {
  const QModelIndex model = items_->index(index);
  if (!model.isValid()) {
    return {};
  }
  return style_ == TViewStyle::vsReport ? reportView_->ContentsPosition(model)
                                        : iconView_->ContentsPosition(model);
}

void TListView::SetItemPosition(int index, QPoint position) {
  const QModelIndex model = items_->index(index);
  if (model.isValid() && style_ != TViewStyle::vsReport) {
    iconView_->Place(model, position);  // ignored by the column list
  }
}
