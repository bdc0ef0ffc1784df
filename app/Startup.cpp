#include "app/Startup.h"

#include <QGuiApplication>
#include <QString>

#include "platform/ShellIcons.h"
#include "widgets/Application.h"

void InitializeApplication() {
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  Application().SetTitle(QStringLiteral("ソルデマン"));
  // Icons are decoded on the worker for the sharpest screen, so they need no scaling up there.
  SetIconDevicePixelRatio(qApp->devicePixelRatio());
}
