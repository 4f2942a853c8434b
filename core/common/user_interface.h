#pragma once

#include <QString>

namespace quillon {

/// The program's name, the title of its message boxes.
inline const QString kProgramTitle = QStringLiteral("Quillon");

/// How the core speaks to the person in front of it: OK-only message boxes,
/// Yes/No questions, the busy pointer and a chance to repaint during long
/// work. The windows implement it with real message boxes; the command line
/// prints; tests record every message and give scripted answers.
class UserInterface {
 public:
  enum class Answer { Yes, No };

  virtual ~UserInterface() = default;
  /// An OK-only message box; returns when the user has confirmed it.
  virtual void ShowMessage(const QString& text, const QString& title = kProgramTitle) = 0;
  /// A Yes/No question.
  virtual Answer Ask(const QString& text, const QString& title = kProgramTitle) = 0;
  /// The hourglass on (true) or back to the default pointer (false).
  virtual void SetBusy(bool) {}
  /// Called while an external program runs, so that windows can repaint.
  virtual void KeepAlive() {}
};

}  // namespace quillon
