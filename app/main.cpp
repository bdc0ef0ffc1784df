#include <QApplication>
#include <memory>

#include "app/QuorvelMainWindow.h"
#include "app/Startup.h"
#include "widgets/MainThreadSync.h"

// The program reads no options of its own; Qt takes its standard ones (-platform, ...) from argv.
int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const TMainThreadSync sync;
  InitializeApplication();

  // The first window created is the main window: closing it ends the event loop. It goes before
  // the thread connection, since it waits for a harvest still running.
  auto form = std::make_unique<TQuorvelMainForm>();
  QuorvelMainForm = form.get();
  form->show();
  const int exitCode = QApplication::exec();
  QuorvelMainForm = nullptr;
  return exitCode;
}
