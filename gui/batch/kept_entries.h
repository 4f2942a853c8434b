#pragma once

#include <QString>

#include "core/session/main_state.h"

namespace quillon {

/// Keeps what the user had in the main window while a batch runs: a batch
/// hands every prompt to the main window's construction by setting its
/// text and output path, and when the batch ends, however it ends, the
/// user's own text and path come back (the diagnostic pane is not touched
/// by a batch at all). Lives for the length of one run.
class KeptUserEntries {
 public:
  explicit KeptUserEntries(MainState& state)
      : state_(state), text_(state.text()), output_path_(state.output_path()) {}
  ~KeptUserEntries() { state_.SetTexts(text_, output_path_); }
  KeptUserEntries(const KeptUserEntries&) = delete;
  KeptUserEntries& operator=(const KeptUserEntries&) = delete;

 private:
  MainState& state_;
  const QString text_;
  const QString output_path_;
};

}  // namespace quillon
