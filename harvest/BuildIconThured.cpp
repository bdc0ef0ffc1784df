#include "harvest/BuildIconThured.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/CodePage.h"
#include "platform/ShellIcons.h"
#include "search/FileSearchList.h"
#include "widgets/FileNames.h"
#include "widgets/Icon.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/Screen.h"
#include "widgets/StatusBar.h"

namespace {

// The file's own name, as the view and the status bar show it.
QString DisplayName(const std::string& path) {
  return DecodedFileName(ExtractFileName(path));
}

}  // namespace

void TBuildIconList::Execute() {
  Synchronize([this] { BeginHarvest(); });
  // The finish path runs however the walk ends; an exception from the walk goes on afterwards.
  const auto finish = [this] {
    Synchronize([this] {
      delete FSearchList;  // owned by the window; deleting it also leaves the owner's children
      FSearchList = nullptr;
      EndHarvest();
    });
  };
  try {
    FSearchList->OnFileFind = TFindFileList(this, &TBuildIconList::FileFound);
    FSearchList->SetDirectory(FDirectory);
    FSearchList->Search(nullptr, nullptr);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TBuildIconList::BeginHarvest() {
  Screen().SetCursor(crAppStart);
  FTarget.ListView1->Items().BeginUpdate();
  // The window owns it, as a component, until the finish path releases it.
  FSearchList = new TSearchFileList(FTarget.Owner);  // NOLINT(cppcoreguidelines-owning-memory)
  FTarget.ListView1->Items().Clear();
  FTarget.ImageList1->Clear();
  FTarget.ImageList2->Clear();
}

void TBuildIconList::EndHarvest() {
  FTarget.ListView1->Items().EndUpdate();
  Screen().SetCursor(crDefault);
}

// The search list's event hands its receivers their own copies of the path and the record.
void TBuildIconList::FileFound(
    TObject* /*Sender*/,
    std::string FileName,    // NOLINT(performance-unnecessary-value-param)
    TSearchRec /*FileRec*/,  // NOLINT(performance-unnecessary-value-param)
    void* /*Data*/, bool& /*AddList*/, bool& DoCancel) {
  const QString status = QStringLiteral("..") + DisplayName(FileName);
  Synchronize([this, &status] {
    FTarget.StatusBar1->Panel(0).SetText(status);
    FTarget.StatusBar1->Refresh();
  });
  AddFileIcons(FileName);
  // Looked at only after all of the file's icons are in the view.
  if (Terminated()) {
    DoCancel = true;
  }
}

void TBuildIconList::AddFileIcons(const std::string& FileName) {
  TExtractIconResult probe = ExtractIconA(FileName, 0);
  if (probe.Value() <= 1) {
    return;
  }
  HICON first = probe.TakeIcon();
  DestroyIcon(first);

  const std::int32_t count = ExtractIconA(FileName, kIconCountIndex).Value();
  if (count <= 0) {
    return;
  }
  const QString name = DisplayName(FileName);
  for (std::int32_t i = 0; i < count; ++i) {
    HICON handle = ExtractIconA(FileName, static_cast<std::uint32_t>(i)).TakeIcon();
    Synchronize([this, &handle, &name, i] {
      auto icon = std::make_unique<TIcon>();
      icon->SetHandle(std::move(handle));
      const int index = FTarget.ImageList1->AddIcon(*icon);
      FTarget.ImageList2->AddIcon(*icon);
      TListItem* item = FTarget.ListView1->Items().Add();
      item->SetImageIndex(index);
      item->SetCaption(name + QLatin1Char(':') + QString::fromStdString(IntToStr(i)));
      item->SetData(std::move(icon));  // the item owns its icon object
    });
  }
}
