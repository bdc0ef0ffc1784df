#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "widgets/Icon.h"
#include "widgets/ImageList.h"

class QStackedLayout;
class TListItems;
class TIconModeView;
class TReportView;

// How the list view shows its items: large icons with labels below, small icons with labels
// beside (both freely movable), small icons in columns, and one row per item.
enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// One item of a list view. Items are created by TListItems::Add and live until the items are
// cleared or the view goes; the item owns the icon object set as its Data.
class TListItem {
 public:
  TListItem(const TListItem&) = delete;  // the view refers to items by address
  TListItem& operator=(const TListItem&) = delete;
  ~TListItem();

  void SetCaption(const QString& caption);
  [[nodiscard]] const QString& Caption() const { return caption_; }
  // Index into the view's image lists; -1 (the default) shows no picture.
  void SetImageIndex(int index);
  [[nodiscard]] int ImageIndex() const { return imageIndex_; }
  // Takes ownership of the icon object; the one held before is released.
  void SetData(std::unique_ptr<TIcon> data);
  [[nodiscard]] TIcon* Data() const { return data_.get(); }
  [[nodiscard]] int Index() const { return index_; }

 private:
  friend class TListItems;
  TListItem(TListItems& owner, int index) : owner_(owner), index_(index) {}

  TListItems& owner_;
  int index_;
  QString caption_;
  int imageIndex_ = -1;
  std::unique_ptr<TIcon> data_;
};

// The items of a list view, in the order they were added; also the model the view's modes show.
// Between BeginUpdate and EndUpdate (nested calls counted) added items are held back from the view,
// which neither redraws nor lays out until the outermost EndUpdate shows them in one go.
class TListItems : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit TListItems(QObject* parent = nullptr);
  ~TListItems() override;

  void BeginUpdate();
  void EndUpdate();
  [[nodiscard]] bool Updating() const { return updateCount_ > 0; }

  // Removes every item and releases the icon objects they own.
  void Clear();
  // Appends a new item with an empty caption and no picture; the items keep ownership.
  TListItem* Add();
  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // The item at `index`, or null when there is none.
  [[nodiscard]] TListItem* Item(int index) const;

  // The list whose images the items show (by their ImageIndex); null shows none.
  void SetImages(TImageList* images);

  [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role) const override;

 signals:
  void UpdateBegun();
  void UpdateEnded();

 private:
  friend class TListItem;
  void ItemChanged(const TListItem& item, int role);
  void Publish();

  std::vector<std::unique_ptr<TListItem>> items_;
  // How many of the items the view has been told about; the rest wait for EndUpdate.
  int published_ = 0;
  int updateCount_ = 0;
  QPointer<TImageList> images_;
};

// A list view with its items and four view styles. The image lists belong to someone else (the
// window); the view only draws from them: large icons from LargeImages, every other style from
// SmallImages.
class TListView : public QWidget {
  Q_OBJECT

 public:
  explicit TListView(QWidget* parent = nullptr);
  ~TListView() override;

  [[nodiscard]] TListItems& Items() { return *items_; }
  [[nodiscard]] const TListItems& Items() const { return *items_; }

  // Keeps items, their order, captions and images; a new icon style lines the items up from the
  // top. Setting the current style does nothing.
  void SetViewStyle(TViewStyle style);
  [[nodiscard]] TViewStyle ViewStyle() const { return style_; }
  // Lines the items up again from the top in the icon styles; changes nothing in the others.
  void Arrange();

  void SetLargeImages(TImageList* images);
  void SetSmallImages(TImageList* images);
  [[nodiscard]] TImageList* LargeImages() const { return largeImages_; }
  [[nodiscard]] TImageList* SmallImages() const { return smallImages_; }

  // Where the item stands within the view's contents; in the icon styles items can be placed
  // anywhere (as dragging them does), in the other styles the position follows the order.
  [[nodiscard]] QPoint ItemPosition(int index) const;
  void SetItemPosition(int index, QPoint position);

 private:
  void ApplyStyle();

  TListItems* items_;
  QStackedLayout* stack_;
  TIconModeView* iconView_;
  TReportView* reportView_;
  TViewStyle style_ = TViewStyle::vsIcon;
  QPointer<TImageList> largeImages_;
  QPointer<TImageList> smallImages_;
};
