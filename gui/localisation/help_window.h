#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace quillon {

/// The help window: the program's help page (the executable's base name
/// with ".htm", in the program folder) in a browser that the window keeps
/// sized to itself. The window never gets smaller than 2500 x 2400 twips
/// (outer size, frame included); the browser sits 100 twips from the left
/// and one twip from the top, 200 twips narrower and 400 twips lower than
/// the window. A missing page is shown as missing, in the browser. Each
/// opening loads the page once.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  HelpWindow(QString program_folder, QString base_name, QWidget* parent = nullptr);

  /// The program's help window: shows and activates the open one, or opens
  /// a new one (closing the window ends it).
  static HelpWindow* ShowHelp(const QString& program_folder, const QString& base_name);

  /// Where the browser goes in a window of `outer` size (frame included)
  /// whose client area is `client`: 100 twips from the left, one twip from
  /// the top, 200 twips narrower and 400 twips lower than the window, but
  /// never reaching past the client area, where a tall title bar would hide
  /// its bottom edge.
  static QRect BrowserGeometry(QSize outer, QSize client, int dpi_x, int dpi_y);

  /// The page: program_folder/base_name.htm.
  QString PagePath() const;
  /// How often this window has loaded its page.
  int page_loads() const { return page_loads_; }

  void Load();
  void ApplySizeRule();

  QTextBrowser* browserHelp = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int TwipsToPixelsX(int twips) const;
  int TwipsToPixelsY(int twips) const;

  QString program_folder_;
  QString base_name_;
  int page_loads_ = 0;
};

}  // namespace quillon
