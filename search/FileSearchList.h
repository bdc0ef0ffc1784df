#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/Component.h"
#include "platform/Events.h"
#include "platform/FindFile.h"
#include "platform/StringList.h"

// Found-entry notification of the walker: the entry's full path, its record, the Data given to
// Search, and an answer that stops the walk. Receivers get their own copies of the path and record.
using TSearchFileEvent =
    TMethodEvent<void(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel)>;

// The three switches of a search, handed from the search list to its walker and from a walker to
// its children unchanged: report directories as entries, descend into subdirectories, report
// directories and never files.
class TSearchSwitches {
 public:
  [[nodiscard]] bool SearchDirectoryName() const { return FSearchDirectoryName; }
  void SetSearchDirectoryName(bool Value) { FSearchDirectoryName = Value; }
  [[nodiscard]] bool SearchSubDirectory() const { return FSearchSubDirectory; }
  void SetSearchSubDirectory(bool Value) { FSearchSubDirectory = Value; }
  [[nodiscard]] bool DirectorySearchMode() const { return FDirectorySearchMode; }
  void SetDirectorySearchMode(bool Value) { FDirectorySearchMode = Value; }

 protected:
  explicit TSearchSwitches(bool searchSubDirectory) : FSearchSubDirectory(searchSubDirectory) {}

  bool FSearchDirectoryName = false;
  bool FSearchSubDirectory;
  bool FDirectorySearchMode = false;
};

// Walks one directory, and on request its subdirectories depth first, reporting the entries it
// selects through OnFound. Directories whose names begin with "." are never reported nor entered.
class TSearchFile : public TObject, public TSearchSwitches {
 public:
  TSearchFile() : TSearchSwitches(true) {}

  [[nodiscard]] const std::string& Path() const { return FPath; }
  // Stores Value with "/" appended when it does not end in one; an empty Value stays empty, and a
  // walk over an empty path reports nothing.
  void SetPath(std::string Value);

  [[nodiscard]] const std::string& Mask() const { return FMask; }
  // The pattern given to the enumeration with the path; an empty Value stores "*.*".
  void SetMask(std::string Value);

  // The walker of the subdirectory being walked right now; null otherwise.
  [[nodiscard]] const TSearchFile* Child() const { return FChild.get(); }

  // Walks Path and returns the number of notifications made, or -1 when a receiver cancelled.
  // A directory that cannot be enumerated contributes 0. An exception from a receiver passes out
  // after every level has closed its enumeration and released its child.
  int Search(void* Data);

  TSearchFileEvent OnFound;

 protected:
  // Clears DoCancel, then hands the notification to OnFound when it is assigned. Entries found in
  // subdirectories are reported by plain child walkers, so an override sees the top level only.
  virtual void DoFound(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel);

 private:
  // Identifies a directory on its volume, so that a link back to a directory being walked is not
  // entered again.
  struct TDirectoryId {
    dev_t Device = 0;
    ino_t Inode = 0;
  };

  [[nodiscard]] bool IsOnDescent(const TFindData& entry) const;
  int SearchChild(const TSearchRec& entry, void* Data);

  std::string FPath;
  std::string FMask = "*.*";
  std::unique_ptr<TSearchFile> FChild;
  const TSearchFile* FParent = nullptr;  // the walker that owns this one as its child
  TDirectoryId FDirectoryId;             // set while Search runs
};

// OnFileFind notification: the component, the entry's full path, its record, the Data given to
// Search, and two answers: AddList (true on entry) keeps the entry, DoCancel (false on entry) ends
// the search after it.
using TFindFileList = TMethodEvent<void(TObject* Sender, std::string FileName, TSearchRec FileRec,
                                        void* Data, bool& AddList, bool& DoCancel)>;

// Searches Directory, and on request its subdirectories, for entries whose names match the mask
// list FileName, firing OnFileFind for each and collecting the accepted full paths.
class TSearchFileList : public TComponent, public TSearchSwitches {
  Q_OBJECT

 public:
  explicit TSearchFileList(QObject* AOwner);

  [[nodiscard]] const std::string& Directory() const { return FDirectory; }
  // Stores Value with "/" appended when it does not end in one; an empty Value stays empty, and a
  // search over an empty Directory finds nothing.
  void SetDirectory(std::string Value);

  [[nodiscard]] const std::string& FileName() const { return FFileName; }
  // The mask list; an empty Value stores "*.*".
  void SetFileName(std::string Value);

  // Runs one search and returns the number of entries accepted, also when a handler cancelled.
  // The accepted paths are appended to Strings when it is given. An exception from a handler passes
  // out; Strings then receives nothing.
  int Search(TStrings* Strings, void* Data);

  // The paths accepted by the last search (null before the first one) and their number.
  [[nodiscard]] const TStringList* FileList() const { return FFileList.get(); }
  [[nodiscard]] int FileCount() const { return FFileCount; }

  TFindFileList OnFileFind;

 protected:
  // Sets AddList and clears DoCancel, then hands the entry to OnFileFind when it is assigned.
  virtual void DoFileFind(std::string FileName, TSearchRec FileRec, void* Data, bool& AddList,
                          bool& DoCancel);

 private:
  void SearchFileFound(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel);
  void SearchTreeFound(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel);
  void Offer(std::string FileName, TSearchRec FileRec, bool& DoCancel);

  std::string FDirectory;
  std::string FFileName = "*.*";
  std::unique_ptr<TStringList> FFileList;
  int FFileCount = 0;
  void* FData = nullptr;
};
