#pragma once

#include <QString>

#include "core/common/busy_feedback.h"
#include "core/common/program_title.h"

namespace quillon {

/// How the core speaks to the person in front of it: OK-only message boxes
/// and Yes/No questions, beside the busy feedback of long work. The windows
/// implement it with real message boxes; the command line prints; tests
/// record every message and give scripted answers.
class UserInterface : public BusyFeedback {
 public:
  enum class Answer { Yes, No };

  /// An OK-only message box; returns when the user has confirmed it.
  virtual void ShowMessage(const QString& text, const QString& title = kProgramTitle) = 0;
  /// A Yes/No question.
  virtual Answer Ask(const QString& text, const QString& title = kProgramTitle) = 0;
};

}  // namespace quillon
