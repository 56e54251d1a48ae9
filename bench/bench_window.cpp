// Platform choice for the window benchmarks and the maximised show.
#include "bench_window.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace bench {

namespace {

// Qt's handler, which every other message still goes to (a message handler is a plain function pointer).
QtMessageHandler qtHandler = nullptr;

// The offscreen platform's note that it cannot pass size hints on says nothing about the benchmark.
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("propagateSizeHints")) return;
  if (qtHandler) qtHandler(type, context, message);
  else std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

void PrepareDisplay(const std::string& folder) {
  setenv("LC_ALL", "C.UTF-8", 1);
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  qtHandler = qInstallMessageHandler(DropPlatformNotes);
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")) return;
  const std::string config = folder + "/offscreen.json";
  std::ofstream(config) << "{\"windowFrameMargins\": false, \"screens\": [{\"name\": \"bench\", \"x\": 0, \"y\": 0, "
                           "\"width\": "
                        << kScreenWidth << ", \"height\": " << kScreenHeight
                        << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n";
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config));
}

void ShowMaximised(QWidget& window) {
  window.showMaximized();
  for (int i = 0; i < 100 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  QApplication::processEvents(QEventLoop::AllEvents, 50);
  if (window.size() != QSize(kScreenWidth, kScreenHeight)) {
    window.setWindowState(Qt::WindowNoState);
    window.setGeometry(0, 0, kScreenWidth, kScreenHeight);
  }
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace bench
