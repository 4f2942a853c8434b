#pragma once

#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace quillon {

class UserSettings;

/// The help window: the program's help page (the executable's base name
/// with ".htm", in the program folder) in a browser that fills the window,
/// 100 twips from its left and right edges and one twip below its top, above
/// a "Close" button at the bottom right. The window opens with a client area
/// of 9405 x 8040 twips (or the size the user gave it last), beside the main
/// window rather than over it; it never gets smaller than 2500 x 2400 twips
/// (outer size, frame included), and Esc or "Close" closes it, with or
/// without a window manager. A missing page is shown as missing, in the
/// browser. Each opening loads the page once.
///
/// The page follows the palette in use, a dark one included (see
/// FitPageToPalette), and fits the window's width: pictures wider than the
/// page are shown scaled down, so no horizontal scroll bar is needed. When
/// the screen has no room beside the main window for the whole width, the
/// window keeps its width and covers as little of the main window as it can.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  HelpWindow(QString program_folder, QString base_name, QWidget* parent = nullptr);

  /// The program's help window: shows and activates the open one, or opens
  /// a new one (closing the window ends it) beside `beside` when given, with
  /// the size `settings` remembers.
  static HelpWindow* ShowHelp(const QString& program_folder, const QString& base_name,
                              const QWidget* beside = nullptr, UserSettings* settings = nullptr);

  /// The page: program_folder/base_name.htm.
  QString PagePath() const;
  /// How often this window has loaded its page.
  int page_loads() const { return page_loads_; }

  void Load();
  /// Keeps the outer size at or above 2500 x 2400 twips.
  void ApplySizeRule();

  QTextBrowser* page_browser = nullptr;
  QPushButton* close_button = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FitPage();
  QString program_folder_;
  QString base_name_;
  int page_loads_ = 0;
};

}  // namespace quillon
