#include "core/synthesis/text_to_wav.h"

#include <QFileInfo>

#include "platform/file_system.h"
#include "core/synthesis/character_inventory.h"
#include "core/synthesis/clipboard_export.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("cmdConstructWavFromString_Click");
const QString kForm = QStringLiteral("frmMain");
const QString kSilenceMarker = QStringLiteral("<silence>");
const QString kEmptyTextMessage =
    QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format.");

const QString kSkippedMessage = QStringLiteral(
    "The text was skipped per dictionary translation rules; no WAV file was written.");

QString Quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

// Counts "<silence>" markers without regard to case, searching on from one
// character after each hit.
int CountSilenceMarkers(const QString& text) {
  int count = 0;
  qsizetype from = 0;
  for (;;) {
    const qsizetype hit = text.indexOf(kSilenceMarker, from, Qt::CaseInsensitive);
    if (hit < 0) return count;
    ++count;
    from = hit + 1;
  }
}

bool EndsInLettersSet(const QString& text) {
  if (text.isEmpty()) return true;
  const QList<uint> chars = text.right(2).toUcs4();
  return IsLettersSetChar(chars.isEmpty() ? U' ' : chars.last());
}

}  // namespace

QString TextToWav::ChunkFileName(int number) {
  return QStringLiteral("MultiWAVChunk") + QString::number(number) + QStringLiteral(".wav");
}

/// One call of the construction: the working values that live for one text.
class TextToWav::Pass {
 public:
  explicit Pass(const ConstructionContext& context) : ctx_(context) {}

  ConstructionResult Run();

 private:
  void Report(const QString& line) { ctx_.diag->WriteLine(line); }
  void ReportError(const RuntimeError& error);
  bool CheckOutputPath();
  void AddCharacter(char32_t c);
  void CutChunkIfDue();
  bool RunCommand(const QString& output);
  void Finish();

  const ConstructionContext& ctx_;
  Shift shift_ = Shift::Unknown;
  WavcatCommandLine command_;
  ConstructionResult result_;
  QString output_;          // the output path as the tool sees it
  int characters_since_chunk_ = 0;
  int chunk_number_ = 0;
  bool failed_ = false;
};

void TextToWav::Pass::ReportError(const RuntimeError& error) {
  const QString line = FormatErrorLine(error, kProcedure, kForm);
  result_.errors.append(line);
  WriteReportLine(*ctx_.diag, line);
  failed_ = true;
}

// The output path reaches the tool inside double quotes, so a path holding a
// double quote cannot be named on its command line; an empty path names
// nothing. A relative path is taken from Quillon's own working directory.
bool TextToWav::Pass::CheckOutputPath() {
  if (ctx_.output_path.isEmpty()) {
    ReportError({error_number::kPathFileAccess, QStringLiteral("No output file name given")});
    return false;
  }
  if (ctx_.output_path.contains(QLatin1Char('"'))) {
    ReportError({error_number::kPathFileAccess,
                 QStringLiteral("An output file name cannot contain a double quote")});
    return false;
  }
  output_ = QFileInfo(ctx_.output_path).absoluteFilePath();
  if (!FolderExists(QFileInfo(output_).absolutePath())) {
    ReportError({error_number::kPathNotFound,
                 QStringLiteral("Path not found: ") + QFileInfo(output_).absolutePath()});
    return false;
  }
  return true;
}

void TextToWav::Pass::AddCharacter(char32_t c) {
  if (IsLettersSetChar(c)) {
    if (shift_ != Shift::Letters) {
      shift_ = Shift::Letters;
      command_.Add(QString::fromLatin1(kLtrsClip));
    }
  } else if (c == U'~') {
    shift_ = Shift::Unknown;
  } else if (shift_ != Shift::Figures) {
    shift_ = Shift::Figures;
    command_.Add(QString::fromLatin1(kFigsClip));
  }
  const CharOutcome outcome = LookupCharClip(c);
  if (outcome.kind == CharOutcome::Kind::Clip) {
    command_.Add(outcome.clip);
  } else {
    WriteReportLine(*ctx_.diag, outcome.message);
  }
}

// After every 801 characters the command line so far is joined into the next
// chunk file, which then opens the next command line. The shift state runs on
// across the cut, so the clips continue as if nothing had been cut.
void TextToWav::Pass::CutChunkIfDue() {
  if (++characters_since_chunk_ <= kCharactersPerChunk - 1) return;
  characters_since_chunk_ = 0;
  ++chunk_number_;
  const QString chunk = Quoted(JoinPath(ctx_.program_folder, ChunkFileName(chunk_number_)));
  command_.Add(chunk);
  if (!failed_) RunCommand(JoinPath(ctx_.program_folder, ChunkFileName(chunk_number_)));
  command_.Reset();
  command_.Add(chunk);
}

// Runs the command line built so far; `output` is the file it must leave
// behind. Once a run has failed, later runs are pointless (their first input
// is missing) and are not started.
bool TextToWav::Pass::RunCommand(const QString& output) {
  ++result_.wavcat_runs;
  RuntimeError error;
  if (!RunWavcatCommand(command_.text(), ctx_.program_folder, ctx_.ui, &error)) {
    ReportError(error);
    return false;
  }
  if (!FileExists(ResolveCaseInsensitive(output))) {
    ReportError({error_number::kToolFailed, QStringLiteral("wavcat wrote no output file: ") + output});
    return false;
  }
  return true;
}

ConstructionResult TextToWav::Pass::Run() {
  // 1-4: refuse an empty text, show the hourglass, reset the state.
  if (ctx_.text.isEmpty()) {
    ctx_.ui->MsgBox(kEmptyTextMessage);
    result_.status = ConstructionResult::Status::EmptyText;
    return result_;
  }
  ctx_.ui->SetBusy(true);
  if (!ctx_.batch_mode && ctx_.clear_pane) ctx_.clear_pane();

  // 5-8: the working text, upper case, line pairs turned into blanks.
  QString text = ctx_.text.toUpper();
  Report(QStringLiteral("File path=") + ctx_.output_path);
  Report(QStringLiteral("Original String=") + text);
  if (!ctx_.clip_set.isEmpty()) Report(QStringLiteral("Clip set=") + ctx_.clip_set);
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));

  // 9: translation, which may declare the text one not to build.
  if (ctx_.translate && ctx_.translation) {
    const TranslationStage::Result translated = ctx_.translation->Translate(text);
    if (translated.skip) {
      Report(QStringLiteral("File skipped per dictionary translation rules"));
      result_.status = ConstructionResult::Status::Skipped;
      Finish();
      return result_;
    }
    text = translated.text;
  }

  // 10: silence markers go to the end of the output.
  const int silences = CountSilenceMarkers(text);
  text.remove(kSilenceMarker, Qt::CaseInsensitive);

  // 11-16: the clips, chunk by chunk, then the closing shift, the silences
  // and the output.
  const bool path_ok = CheckOutputPath();
  command_.Add(QString::fromLatin1(kLeadingSilenceClip));
  for (char32_t c : text.toUcs4()) {
    AddCharacter(c);
    CutChunkIfDue();
  }
  if (!EndsInLettersSet(text)) command_.Add(QString::fromLatin1(kClosingLtrsClip));
  for (int i = 0; i < silences; ++i)
    command_.Add(QString::fromLatin1(kTrailingSilenceClip));

  if (path_ok && !failed_) {
    command_.Add(Quoted(output_));
    // 17: a read-only output is made writable so that it can be replaced.
    const QString existing = ResolveCaseInsensitive(output_);
    QString err;
    if (IsReadOnly(existing) && !ClearReadOnly(existing, &err))
      ReportError({error_number::kPermissionDenied, err});
    // 18: the final run.
    if (!failed_) RunCommand(output_);
  }
  result_.status =
      failed_ ? ConstructionResult::Status::Failed : ConstructionResult::Status::Built;
  result_.new_text = text;

  // 19: what was sent.
  Report(QStringLiteral("New Text=") + text);
  Finish();
  return result_;
}

// 20-22: the closing blank line, the pointer, and outside a batch the
// clipboard copy and the closing message.
void TextToWav::Pass::Finish() {
  Report(QString());
  ctx_.ui->SetBusy(false);
  if (ctx_.batch_mode) return;
  if (result_.status == ConstructionResult::Status::Failed) {
    ctx_.ui->MsgBox(QStringLiteral("The WAV file was not built.\n\n") + result_.errors.join('\n'));
    return;
  }
  // A skipped text built nothing: a file already at the output path is not
  // this text's, so it is neither put on the clipboard nor reported as done.
  if (result_.status == ConstructionResult::Status::Skipped) {
    ctx_.ui->MsgBox(kSkippedMessage);
    return;
  }
  if (ctx_.clipboard) CopyWavToClipboard(ctx_.output_path, *ctx_.clipboard, *ctx_.ui);
  ctx_.ui->MsgBox(QStringLiteral("Done."));
}

ConstructionResult TextToWav::Build(const ConstructionContext& context) {
  Pass pass(context);
  return pass.Run();
}

}  // namespace quillon
