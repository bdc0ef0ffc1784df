#pragma once

#include <QMainWindow>
#include <memory>

#include "ui_QuorvelMainWindow.h"
#include "widgets/ImageList.h"

class TBuildIconList;
class TObject;

// The program's only window. Its components, their properties and which handler each event
// calls come from the layout (QuorvelMainWindow.ui); the generated members are public so that the
// harvest reaches the view, the image lists, the status bar, the directory list and the Load and
// Cancel buttons through the window. The class adds the image lists, which a layout cannot hold,
// and the handlers.
class TQuorvelMainForm : public QMainWindow, public Ui::TQuorvelMainForm {
  Q_OBJECT

 public:
  explicit TQuorvelMainForm(QWidget* parent = nullptr);
  // A harvest still running is asked to stop and waited for before any component goes.
  ~TQuorvelMainForm() override;
  TQuorvelMainForm(const TQuorvelMainForm&) = delete;
  TQuorvelMainForm& operator=(const TQuorvelMainForm&) = delete;

  // Owned by the window (Qt parent), not by the view that draws from them.
  TImageList* ImageList1;       // 32 x 32, the large-icon style
  TImageList* ImageList2;       // 16 x 16, every other style
  TImageList* ButtonImageList;  // 16 x 16, the toolbar glyphs

  // Handlers, bound to the components' events by the layout.
  Q_SLOT void Panel2Resize();
  Q_SLOT void IconStyleMenuClick();
  Q_SLOT void LineupIconsClick();
  Q_SLOT void ExitProgramMenuClick();
  Q_SLOT void LoadItemsButtonClick();
  Q_SLOT void CancelLoadItemsButtonClick();

 private:
  void LinkComponents();
  void ApplyMetrics();
  // The worker's termination notice, assigned by Load.
  void BuildIconListTerminate(TObject* Sender);

  // The last worker started. The window owns it: a finished worker is released when the next
  // Load replaces it, or with the window, never from inside its own termination notice.
  std::unique_ptr<TBuildIconList> FBuildIconList;
};

// The main window, set by the program's entry when it creates the window.
extern TQuorvelMainForm* QuorvelMainForm;
