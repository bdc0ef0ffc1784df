#pragma once

#include <string>

#include "platform/FindFile.h"
#include "platform/Thread.h"

class QObject;
class TImageList;
class TListView;
class TSearchFileList;
class TStatusBar;

// The main window's components that a harvest fills. The window owns all of them and keeps them
// alive until its worker has ended: it waits for a running worker before it goes.
struct THarvestTarget {
  QObject* Owner = nullptr;  // owner of the run's search list
  TListView* ListView1 = nullptr;
  TImageList* ImageList1 = nullptr;
  TImageList* ImageList2 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
};

// One harvest: walks the files directly inside FDirectory and turns every icon of every file into
// an item of the view. It reads the files on its own thread and changes the window's components
// only through Synchronize, while it waits. Created suspended; FDirectory and FTarget are written
// before Resume.
class TBuildIconList : public TThread {
 public:
  using TThread::TThread;

  std::string FDirectory;
  THarvestTarget FTarget;

 protected:
  void Execute() override;

 private:
  void BeginHarvest();
  void EndHarvest();
  void FileFound(TObject* Sender, std::string FileName, TSearchRec FileRec, void* Data,
                 bool& AddList, bool& DoCancel);
  void AddFileIcons(const std::string& FileName);

  // Created by the start step with the window as owner, released by the finish path.
  TSearchFileList* FSearchList = nullptr;
};
