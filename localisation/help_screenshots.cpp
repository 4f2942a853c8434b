// quillon-help-screenshots: renders the About window and the help window
// into PNG files for the help page. Run it under an X server
// (help/make_screenshots.sh starts one) so that the pictures show the
// desktop's real fonts and style.
//
//   quillon-help-screenshots PROGRAM_FOLDER OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "localisation/frm_about.h"
#include "localisation/frm_help.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

class SilentUi : public UserInterface {
 public:
  void MsgBox(const QString& text, const QString&) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  Answer Ask(const QString&, const QString&) override { return Answer::No; }
};

bool Save(QWidget& window, const QString& path) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(200);
  const bool saved = window.grab().save(path, "PNG");
  std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
               qPrintable(path));
  return saved;
}

bool AboutWindowShot(const QString& output_folder) {
  QTemporaryDir program_folder;
  for (const char* code : {"DEU", "FRA", "JPN"}) {
    QFile library(JoinPath(program_folder.path(), QStringLiteral("quillon_%1.dll").arg(code)));
    if (!library.open(QIODevice::WriteOnly) || library.write("MZ") != 2) return false;
  }
  SilentUi ui;
  LanguageSelection languages(program_folder.path(), QStringLiteral("quillon"), ui);
  frmAbout about(languages);
  return Save(about, JoinPath(output_folder, QStringLiteral("about_window.png")));
}

bool HelpWindowShot(const QString& program_folder, const QString& output_folder) {
  frmHelp help(program_folder, QStringLiteral("quillon"));
  help.resize(help.size() * 3 / 4);
  return Save(help, JoinPath(output_folder, QStringLiteral("help_window.png")));
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  using namespace quillon;
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillon-help-screenshots PROGRAM_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const QString program_folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString output_folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  const bool ok = AboutWindowShot(output_folder) && HelpWindowShot(program_folder, output_folder);
  return ok ? 0 : 1;
}
