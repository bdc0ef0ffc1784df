#include "app/Startup.h"

#include <QGuiApplication>
#include <QString>

#include "widgets/Application.h"

void InitializeApplication() {
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  Application().SetTitle(QStringLiteral("ソルデマン"));
}
