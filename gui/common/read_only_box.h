#pragma once

#include <QLineEdit>

namespace quillon {

/// A one-line box whose text the program sets (a path chosen with a dialog
/// or a list), never the keyboard. It still takes the focus, so that its
/// text can be read, selected and copied, but it looks read-only: its
/// background is the window's own, from the palette in use (a dark palette
/// included). A key that would change the text changes nothing and emits
/// TypedInto, so that the window can say how the text is chosen; Ctrl+C and
/// the moving keys work as in any box.
class ReadOnlyBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit ReadOnlyBox(QWidget* parent = nullptr);

 Q_SIGNALS:
  /// The user tried to type, delete, paste or cut in the box.
  void TypedInto();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FollowPalette();
  bool following_ = false;  // FollowPalette's own palette change is not followed
};

}  // namespace quillon
