#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <stdexcept>

#include "PaintCounter.h"
#include "ReportCatcher.h"
#include "widgets/Application.h"
#include "widgets/Screen.h"
#include "widgets/StatusBar.h"

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void escapingExceptionIsReportedAndProgramGoesOn();
  void screenCursorNeverStacks();
  void statusPanels();
  void statusRefreshPaintsAtOnce();
};

void ApplicationTest::escapingExceptionIsReportedAndProgramGoesOn() {
  Application().SetTitle(QStringLiteral("ソルデマン"));
  TReportCatcher catcher;
  bool after = false;
  Application().Guard([] { throw std::runtime_error("ファイルを読めません"); });
  Application().Guard([] { throw 42; });  // not a standard exception: still reported
  Application().Guard([&after] { after = true; });
  QVERIFY(after);
  QCOMPARE(catcher.reports.size(), size_t(2));
  QCOMPARE(catcher.reports[0].caption, QStringLiteral("ソルデマン"));
  QCOMPARE(catcher.reports[0].message, QStringLiteral("ファイルを読めません"));
  QCOMPARE(catcher.reports[1].caption, QStringLiteral("ソルデマン"));
  QVERIFY(!catcher.reports[1].message.isEmpty());
}

void ApplicationTest::screenCursorNeverStacks() {
  QCOMPARE(Screen().Cursor(), crDefault);
  Screen().SetCursor(crAppStart);
  Screen().SetCursor(crAppStart);
  QCOMPARE(Screen().Cursor(), crAppStart);
  QVERIFY(QGuiApplication::overrideCursor() != nullptr);
  QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
  Screen().SetCursor(crDefault);
  QCOMPARE(Screen().Cursor(), crDefault);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  Screen().SetCursor(crDefault);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void ApplicationTest::statusPanels() {
  TStatusBar bar;
  TStatusPanel& panel = bar.AddPanel();
  QCOMPARE(bar.PanelCount(), 1);
  QCOMPARE(&bar.Panel(0), &panel);
  QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)bar.Panel(1));
  QVERIFY_THROWS_EXCEPTION(std::out_of_range, (void)bar.Panel(-1));
  QCOMPARE(panel.Text(), QString());
  QCOMPARE(panel.Width(), 50);
  panel.SetText(QStringLiteral("..<b>SHELL32.dll</b>"));
  QCOMPARE(panel.Text(), QStringLiteral("..<b>SHELL32.dll</b>"));

  bar.resize(400, 19);
  bar.show();
  QVERIFY(QTest::qWaitForWindowExposed(&bar));
  // The last panel reaches to the bar's end, so a long text is not cut at its width of 50.
  auto* label = bar.findChild<QLabel*>();
  QVERIFY(label != nullptr);
  QTRY_VERIFY(label->width() > 200);
  QCOMPARE(label->textFormat(), Qt::PlainText);
  QVERIFY(bar.isSizeGripEnabled());
}

void ApplicationTest::statusRefreshPaintsAtOnce() {
  TStatusBar bar;
  TStatusPanel& panel = bar.AddPanel();
  bar.resize(300, 19);
  bar.show();
  QVERIFY(QTest::qWaitForWindowExposed(&bar));
  auto* label = bar.findChild<QLabel*>();
  TPaintCounter paints(label);
  panel.SetText(QStringLiteral("..a.exe"));
  bar.Refresh();  // no event loop turn in between
  QVERIFY(paints.count > 0);
}

QTEST_MAIN(ApplicationTest)
#include "ApplicationTest.moc"
