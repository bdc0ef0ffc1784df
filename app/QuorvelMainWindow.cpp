#include "app/QuorvelMainWindow.h"

#include <QAction>
#include <QFont>
#include <QImage>
#include <QMenuBar>
#include <QString>
#include <QToolButton>
#include <QVariant>
#include <array>

#include "app/LayoutScaling.h"
#include "harvest/BuildIconThured.h"
#include "widgets/Application.h"
#include "widgets/ImageList.h"

TQuorvelMainForm* QuorvelMainForm = nullptr;

namespace {

// The layout's metrics are for this resolution.
constexpr double kLayoutDpi = 96.0;

// The toolbar glyphs in the order of their image indexes.
constexpr std::array<const char*, 8> kButtonGlyphs = {
    ":/glyphs/0.xpm", ":/glyphs/1.xpm", ":/glyphs/2.xpm", ":/glyphs/3.xpm",
    ":/glyphs/4.xpm", ":/glyphs/5.xpm", ":/glyphs/6.xpm", ":/glyphs/7.xpm",
};

TViewStyle StyleOfTag(int tag) {
  switch (tag) {
    case 1:
      return TViewStyle::vsSmallIcon;
    case 2:
      return TViewStyle::vsList;
    case 3:
      return TViewStyle::vsReport;
    default:
      return TViewStyle::vsIcon;
  }
}

// A square image list of the window, released with it through Qt's parent ownership.
TImageList* NewImageList(int size, const char* name, QObject* owner) {
  auto* list = new TImageList(size, size, owner);  // NOLINT(cppcoreguidelines-owning-memory)
  list->setObjectName(QLatin1String(name));
  return list;
}

}  // namespace

// The image lists are the layout's non-visual components, which a Designer form cannot hold; they
// are made here, before the form, and belong to the window. The view and the toolbar buttons
// only draw from them.
TQuorvelMainForm::TQuorvelMainForm(QWidget* parent)
    : QMainWindow(parent),
      ImageList1(NewImageList(32, "ImageList1", this)),
      ImageList2(NewImageList(16, "ImageList2", this)),
      ButtonImageList(NewImageList(16, "ButtonImageList", this)) {
  // The glyphs and the icon live in this static library; a linker would drop their registration.
  Q_INIT_RESOURCE(quorvel);
  for (const char* glyph : kButtonGlyphs) {
    ButtonImageList->AddImage(QImage(QString::fromLatin1(glyph)));
  }
  setupUi(this);
  LinkComponents();
  ApplyMetrics();
}

// What the layout says of its components but a Designer form cannot express: which image lists
// the view and the buttons draw from, the drive box's directory list and the status bar's panel.
void TQuorvelMainForm::LinkComponents() {
  ListView1->SetLargeImages(ImageList1);
  ListView1->SetSmallImages(ImageList2);
  // Each button names its glyph by the layout's ImageIndex; separators and the divider have none.
  for (QToolButton* button : ToolBar1->findChildren<QToolButton*>()) {
    const QVariant index = button->property("ImageIndex");
    if (index.isValid()) {
      button->setIcon(ButtonImageList->Pixmap(index.toInt()));
      button->setIconSize(QSize(ButtonImageList->Width(), ButtonImageList->Height()));
    }
  }
  DriveComboBox1->SetDirList(DirectoryList);
  StatusBar1->AddPanel().SetWidth(50);
}

// Font, sizes and position. The layout is drawn for 96 dpi; at another logical resolution it
// scales in proportion. The window's font is the layout's Japanese Gothic; where it is missing,
// the metric-compatible IPA P Gothic stands in.
void TQuorvelMainForm::ApplyMetrics() {
  const double factor = logicalDpiX() / kLayoutDpi;
  auto scaled = [factor](int length) { return ScaledLength(length, factor); };

  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")});
  font.setPixelSize(scaled(12));
  setFont(font);

  ScaleLayout(centralWidget(), factor);
  DirectoryList->SetItemHeight(scaled(16));
  Splitter1->setSizes({scaled(149), scaled(366)});
  // The client area below the menu bar is 518 x 420; the frame is the window manager's.
  resize(scaled(518), scaled(420) + menuBar()->sizeHint().height());
  move(148, 106);
}

void TQuorvelMainForm::Panel2Resize() {
  Application().Guard([this] {
    const auto* panel = qobject_cast<const QWidget*>(sender());
    DriveComboBox1->resize(panel->width(), DriveComboBox1->height());
  });
}

void TQuorvelMainForm::IconStyleMenuClick() {
  Application().Guard([this] {
    auto* item = qobject_cast<QAction*>(sender());
    item->setChecked(true);
    ListView1->SetViewStyle(StyleOfTag(item->property("Tag").toInt()));
  });
}

void TQuorvelMainForm::LineupIconsClick() {
  Application().Guard([this] { ListView1->Arrange(); });
}

void TQuorvelMainForm::ExitProgramMenuClick() {
  Application().Guard([this] { close(); });
}

TQuorvelMainForm::~TQuorvelMainForm() {
  if (FBuildIconList) {
    FBuildIconList->Terminate();
    // Runs the worker's remaining steps, while the components still exist.
    FBuildIconList->WaitFor();
  }
}

void TQuorvelMainForm::LoadItemsButtonClick() {
  Application().Guard([this] {
    LoadItemsButton->setEnabled(false);
    // Replacing the previous worker releases it: Load is enabled again only after its
    // termination notice, so it has ended.
    FBuildIconList = std::make_unique<TBuildIconList>(true);
    FBuildIconList->OnTerminate = TNotifyEvent(this, &TQuorvelMainForm::BuildIconListTerminate);
    FBuildIconList->FDirectory = DirectoryList->Directory();
    FBuildIconList->FTarget = {this, ListView1, ImageList1, ImageList2, StatusBar1};
    FBuildIconList->Resume();
    CancelLoadItemsButton->setEnabled(true);
  });
}

void TQuorvelMainForm::CancelLoadItemsButtonClick() {
  Application().Guard([this] {
    if (FBuildIconList) {
      FBuildIconList->Terminate();
    }
  });
}

void TQuorvelMainForm::BuildIconListTerminate(TObject* /*Sender*/) {
  Application().Guard([this] {
    StatusBar1->Panel(0).SetText(QStringLiteral("検索終了"));
    CancelLoadItemsButton->setEnabled(false);
    LoadItemsButton->setEnabled(true);
  });
}
