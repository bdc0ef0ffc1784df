#include "search/FileSearchList.h"

#include <sys/stat.h>

#include "platform/CodePage.h"
#include "search/MatchesLiblary.h"

namespace {

// Every entry but volume labels, or the same without directories.
constexpr int kWithDirectories = faReadOnly | faHidden | faSysFile | faDirectory | faArchive;
constexpr int kWithoutDirectories = faReadOnly | faHidden | faSysFile | faArchive;

}  // namespace

void TSearchFile::SetPath(std::string Value) {
  FPath = IncludeTrailingPathDelimiter(std::move(Value));
}

void TSearchFile::SetMask(std::string Value) {
  FMask = Value.empty() ? "*.*" : std::move(Value);
}

void TSearchFile::DoFound(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel) {
  DoCancel = false;
  if (OnFound) {
    OnFound(std::move(FileName), std::move(FileRec), Data, DoCancel);
  }
}

int TSearchFile::Search(void* Data) {
  if (FPath.empty()) {
    return 0;
  }
  if (FParent == nullptr) {
    struct stat top {};
    FDirectoryId =
        stat(FPath.c_str(), &top) == 0 ? TDirectoryId{top.st_dev, top.st_ino} : TDirectoryId{};
  }
  const bool withDirectories = FSearchDirectoryName || FSearchSubDirectory;
  TFindEnumeration find(FPath + FMask, withDirectories ? kWithDirectories : kWithoutDirectories);
  int count = 0;
  bool cancel = false;
  for (bool more = find.Found(); more; more = find.Next()) {
    const TSearchRec& rec = find.Rec();
    const bool directory = (rec.Attr & faDirectory) != 0;
    if (directory && rec.Name.front() == '.') {
      continue;
    }
    // Directories when they are asked for, files unless only directories are.
    const bool report =
        directory ? FSearchDirectoryName || FDirectorySearchMode : !FDirectorySearchMode;
    if (report) {
      DoFound(FPath + rec.Name, rec, Data, cancel);
      ++count;
      if (cancel) {
        break;
      }
    }
    if (directory && FSearchSubDirectory && !IsOnDescent(rec.FindData)) {
      const int found = SearchChild(rec, Data);
      if (found < 0) {
        cancel = true;
        break;
      }
      count += found;
    }
  }
  return cancel ? -1 : count;
}

// A link to this directory or to one it lies in would start the same walk again, without end.
bool TSearchFile::IsOnDescent(const TFindData& entry) const {
  for (const TSearchFile* walker = this; walker != nullptr; walker = walker->FParent) {
    if (walker->FDirectoryId.Device == entry.Stat.st_dev &&
        walker->FDirectoryId.Inode == entry.Stat.st_ino) {
      return true;
    }
  }
  return false;
}

int TSearchFile::SearchChild(const TSearchRec& entry, void* Data) {
  // The child lives only for its own walk, also when an exception passes out of it.
  struct ReleaseChild {
    std::unique_ptr<TSearchFile>& child;
    ~ReleaseChild() { child.reset(); }
  } release{FChild};
  FChild = std::make_unique<TSearchFile>();
  FChild->OnFound = OnFound;
  FChild->SetPath(FPath + entry.Name);
  FChild->SetMask(FMask);
  static_cast<TSearchSwitches&>(*FChild) = *this;
  FChild->FParent = this;
  FChild->FDirectoryId = {entry.FindData.Stat.st_dev, entry.FindData.Stat.st_ino};
  return FChild->Search(Data);
}

TSearchFileList::TSearchFileList(QObject* AOwner) : TComponent(AOwner), TSearchSwitches(false) {}

void TSearchFileList::SetDirectory(std::string Value) {
  FDirectory = IncludeTrailingPathDelimiter(std::move(Value));
}

void TSearchFileList::SetFileName(std::string Value) {
  FFileName = Value.empty() ? "*.*" : std::move(Value);
}

void TSearchFileList::DoFileFind(std::string FileName, TSearchRec FileRec, void* Data,
                                 bool& AddList, bool& DoCancel) {
  AddList = true;
  DoCancel = false;
  if (OnFileFind) {
    OnFileFind(this, std::move(FileName), std::move(FileRec), Data, AddList, DoCancel);
  }
}

int TSearchFileList::Search(TStrings* Strings, void* Data) {
  if (FFileList) {
    FFileList->Clear();
  } else {
    FFileList = std::make_unique<TStringList>();
  }
  FData = Data;
  {
    // The walker keeps its mask "*.*": the mask list is tested here, with case ignored.
    TSearchFile walker;
    walker.SetPath(FDirectory);
    static_cast<TSearchSwitches&>(walker) = *this;
    walker.OnFound = FSearchSubDirectory
                         ? TSearchFileEvent(this, &TSearchFileList::SearchTreeFound)
                         : TSearchFileEvent(this, &TSearchFileList::SearchFileFound);
    FFileCount = 0;
    walker.Search(FData);
  }
  if (Strings != nullptr) {
    Strings->AddStrings(*FFileList);
  }
  return FFileCount;
}

void TSearchFileList::SearchFileFound(std::string FileName, TSearchRec FileRec, void* /*Data*/,
                                      bool& DoCancel) {
  if (!MatchesFileMask(ExtractFileName(FileName), FFileName, true)) {
    return;
  }
  Offer(std::move(FileName), std::move(FileRec), DoCancel);
}

void TSearchFileList::SearchTreeFound(std::string FileName, TSearchRec FileRec, void* Data,
                                      bool& DoCancel) {
  // Every directory the walker reports is offered without a mask test.
  if ((FileRec.Attr & faDirectory) != 0) {
    Offer(std::move(FileName), std::move(FileRec), DoCancel);
  } else {
    SearchFileFound(std::move(FileName), std::move(FileRec), Data, DoCancel);
  }
}

void TSearchFileList::Offer(std::string FileName, TSearchRec FileRec, bool& DoCancel) {
  bool accept = true;
  DoFileFind(FileName, std::move(FileRec), FData, accept, DoCancel);
  if (accept) {
    ++FFileCount;
    FFileList->Add(std::move(FileName));
  }
}
