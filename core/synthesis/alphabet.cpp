#include "core/synthesis/alphabet.h"

#include <QDir>
#include <QTemporaryDir>
#include <array>
#include <memory>

#include "core/common/report.h"
#include "core/synthesis/wavcat_command.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("cmdCreateAlphabet_Click");
const QString kForm = QStringLiteral("frmConstructAlphabet");
const QString kSpaceTic = QStringLiteral("spacetic.wav");
const QString kMarkTic = QStringLiteral("marktic.wav");
constexpr qsizetype kFailuresShown = 8;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString Quoted(const QString& path) {
  return QLatin1Char('"') + path + QLatin1Char('"');
}

}  // namespace

std::optional<BaudRate> BaudRateFromName(std::string_view name) {
  if (name == "45") return BaudRate::Baud45;
  for (const BaudRateInfo& info : kBaudRates)
    if (info.name == name) return info.rate;
  return std::nullopt;
}

std::string TicSequence(const AlphabetRow& row) {
  std::string tics = "S";
  for (char bit : row.code) tics += bit == '1' ? 'M' : 'S';
  return tics + "MM";
}

/// One press of "Create Alphabet": the new set is built in a staging folder
/// inside the program folder (so that the final renames stay on one file
/// system) and moved into place only when it is whole and checked.
class AlphabetConstruction::Build {
 public:
  Build(const AlphabetRequest& request, const QString& folder, UserInterface& ui,
        QString& command_line)
      : request_(request), folder_(folder), ui_(ui), command_line_(command_line) {}

  AlphabetResult Run();

 private:
  bool Fail(int number, const QString& description) {
    result_.failures << FormatErrorLine({number, description}, kProcedure, kForm);
    return false;
  }
  bool Generate();
  bool TakeTics();
  bool DescribeTics();
  bool JoinFrames();
  bool CheckNewSet();
  bool MoveIntoPlace();
  void Report();

  const AlphabetRequest& request_;
  const QString folder_;
  UserInterface& ui_;
  QString& command_line_;
  std::unique_ptr<QTemporaryDir> stage_;
  QString tic_source_folder_;
  ClipSet set_;
  bool swap_started_ = false;
  AlphabetResult result_;
};

// The clip generator writes the tics, the blank and the silences in the new
// format into the staging folder; the frames are then joined from those.
bool AlphabetConstruction::Build::Generate() {
  tic_source_folder_ = folder_;
  if (!request_.format) return true;
  const QString line = QStringLiteral("quillon-clipgen --format ") +
                       Latin1(SampleFormatName(*request_.format)) + QStringLiteral(" --out ") +
                       Quoted(stage_->path());
  RuntimeError error;
  if (!RunToolCommand(line, folder_, stage_->path(), &ui_, &error))
    return Fail(error.number, error.description);
  tic_source_folder_ = stage_->path();
  return true;
}

// The selected rate's pair becomes the working tics, space first. Without a
// rate the working tics of the program folder are taken as they are. A
// missing source stops the build: joining older tics would make a set of
// whatever rate they happen to be.
bool AlphabetConstruction::Build::TakeTics() {
  std::array<QString, 2> sources = {kSpaceTic, kMarkTic};
  QString from = folder_;
  if (request_.rate) {
    const BaudRateInfo& info = kBaudRates[static_cast<size_t>(*request_.rate)];
    sources = {Latin1(info.space_tic), Latin1(info.mark_tic)};
    from = tic_source_folder_;
  }
  const std::array<QString, 2> targets = {kSpaceTic, kMarkTic};
  for (size_t i = 0; i < sources.size(); ++i) {
    const QString source = ResolveCaseInsensitive(JoinPath(from, sources[i]));
    if (!FileExists(source))
      return Fail(error_number::kFileNotFound, QStringLiteral("File not found: ") + source);
    QString err;
    if (!CopyFileReplacing(source, JoinPath(stage_->path(), targets[i]), &err))
      return Fail(error_number::kPermissionDenied, err);
  }
  return true;
}

// The description of the new set comes from its tics: their format, the
// length of one bit, and the tones they hold.
bool AlphabetConstruction::Build::DescribeTics() {
  std::vector<std::int16_t> space;
  std::vector<std::int16_t> mark;
  WavLayout space_layout;
  WavLayout mark_layout;
  QString err;
  if (!ReadWavSamples(JoinPath(stage_->path(), kSpaceTic), &space, &space_layout, &err) ||
      !ReadWavSamples(JoinPath(stage_->path(), kMarkTic), &mark, &mark_layout, &err))
    return Fail(error_number::kToolFailed, QStringLiteral("The tic clips cannot be used: ") + err);
  if (space_layout.Format() != mark_layout.Format() ||
      space_layout.sample_rate != mark_layout.sample_rate)
    return Fail(error_number::kToolFailed,
                QStringLiteral("The space and mark tics differ: ") + space_layout.Describe() +
                    QStringLiteral(", ") + QString::number(space.size()) +
                    QStringLiteral(" samples against ") + mark_layout.Describe() +
                    QStringLiteral(", ") + QString::number(mark.size()) +
                    QStringLiteral(" samples"));
  const std::optional<double> space_hz = MeasureToneHz(space, space_layout.sample_rate);
  const std::optional<double> mark_hz = MeasureToneHz(mark, mark_layout.sample_rate);
  if (!space_hz || !mark_hz)
    return Fail(error_number::kToolFailed, QStringLiteral("A tic clip holds no tone"));
  set_.rate = request_.rate.value_or(BaudRate::Baud45);
  set_.format = *space_layout.Format();
  set_.sample_rate = space_layout.sample_rate;
  set_.bit_samples = static_cast<int>(space.size());
  set_.mark_samples = static_cast<int>(mark.size());
  // The stop bits are the two mark tics that end every frame (TicSequence).
  set_.stop_samples = 2 * set_.mark_samples;
  set_.space_hz = *space_hz;
  set_.mark_hz = *mark_hz;
  return true;
}

// The 29 frames, one run each; a figure clip is copied only from the letter
// clip this run has just joined. A tool that cannot start at all ends the
// joining: every later run would fail the same way.
bool AlphabetConstruction::Build::JoinFrames() {
  for (const AlphabetRow& row : kAlphabet) {
    command_line_ = QStringLiteral("wavcat");
    for (char tic : TicSequence(row))
      command_line_ +=
          tic == 'S' ? QStringLiteral(" spacetic.wav") : QStringLiteral(" marktic.wav");
    command_line_ += QLatin1Char(' ') + Latin1(row.clip);
    ++result_.runs;
    const QString clip = JoinPath(stage_->path(), Latin1(row.clip));
    RuntimeError error;
    if (!RunToolCommand(command_line_, folder_, stage_->path(), &ui_, &error)) {
      Fail(error.number, Latin1(row.clip) + QStringLiteral(": ") + error.description);
      if (error.number != error_number::kToolFailed) return false;
      continue;
    }
    if (!FileExists(clip)) {
      Fail(error_number::kToolFailed,
           QStringLiteral("wavcat wrote no output file: ") + Latin1(row.clip));
      continue;
    }
    if (row.figure_copy.empty()) continue;
    QString err;
    if (!CopyFileReplacing(clip, JoinPath(stage_->path(), Latin1(row.figure_copy)), &err))
      Fail(error_number::kPermissionDenied, Latin1(row.figure_copy) + QStringLiteral(": ") + err);
  }
  return result_.failures.isEmpty();
}

bool AlphabetConstruction::Build::CheckNewSet() {
  QString err;
  if (!WriteClipSet(JoinPath(stage_->path(), kClipSetFileName), set_, &err))
    return Fail(error_number::kPermissionDenied, kClipSetFileName + QStringLiteral(": ") + err);
  const ClipSetCheck check = CheckClipSet(QStringList{stage_->path(), folder_}, request_.decode);
  for (const QString& problem : check.problems)
    Fail(error_number::kToolFailed,
         QStringLiteral("The new clip set failed its check: ") + problem);
  return check.usable();
}

// The old description goes first and the new one comes last, so that a
// move that stops half-way leaves a set that is not described and that
// every construction therefore refuses.
bool AlphabetConstruction::Build::MoveIntoPlace() {
  swap_started_ = true;
  QString err;
  const QString description = ResolveCaseInsensitive(JoinPath(folder_, kClipSetFileName));
  if (FileExists(description) && !DeleteFile(description, true, &err))
    return Fail(error_number::kPermissionDenied, description + QStringLiteral(": ") + err);
  const QDir stage(stage_->path());
  for (const QString& name : stage.entryList(QDir::Files | QDir::Hidden)) {
    if (name == kClipSetFileName) continue;
    const QString target = ResolveCaseInsensitive(JoinPath(folder_, name));
    if (!RenameReplacing(stage.filePath(name), target, &err))
      return Fail(error_number::kPermissionDenied, target + QStringLiteral(": ") + err);
  }
  if (!RenameReplacing(stage.filePath(kClipSetFileName), JoinPath(folder_, kClipSetFileName), &err))
    return Fail(error_number::kPermissionDenied, kClipSetFileName + QStringLiteral(": ") + err);
  const ClipSetCheck placed = CheckClipSet(folder_);
  for (const QString& problem : placed.problems)
    Fail(error_number::kToolFailed,
         QStringLiteral("The clip set in place failed its check: ") + problem);
  result_.replaced = placed.usable();
  result_.set = set_;
  return result_.replaced;
}

// One message for the whole build: "Done.", or what failed and whether the
// set in the program folder can still be used.
void AlphabetConstruction::Build::Report() {
  if (result_.ok()) {
    ui_.MsgBox(QStringLiteral("Done."));
    return;
  }
  QStringList lines = result_.failures.mid(0, kFailuresShown);
  if (result_.failures.size() > kFailuresShown)
    lines << QStringLiteral("... and ") +
                 QString::number(result_.failures.size() - kFailuresShown) +
                 QStringLiteral(" more");
  QString state;
  const ClipSetCheck now = CheckClipSet(folder_);
  if (swap_started_ && !now.usable()) {
    state = QStringLiteral(
        "The clip set in the program folder is now incomplete and cannot be "
        "used. Run Create Alphabet again.");
  } else if (now.usable()) {
    state = QStringLiteral("The clip set in the program folder was left as it was: ") +
            now.set->Describe() + QLatin1Char('.');
  } else {
    state = QStringLiteral("The program folder holds no usable clip set (") + now.problems.first() +
            QStringLiteral("); nothing can be built until Create Alphabet succeeds.");
  }
  ui_.MsgBox(QStringLiteral("The alphabet was not built.\n\n") + lines.join(QLatin1Char('\n')) +
             QStringLiteral("\n\n") + state);
}

AlphabetResult AlphabetConstruction::Build::Run() {
  ui_.SetBusy(true);
  // Held from the first clip to the check of the set in place: builds hold
  // the folder shared, so none of them reads a set that is half old, half new.
  FileLock lock;
  QString lock_err;
  if (!lock.Acquire(folder_, FileLock::Mode::Exclusive, true, &lock_err)) {
    Fail(error_number::kPathFileAccess, QStringLiteral("Cannot write to the program folder ") +
                                            folder_ + QStringLiteral(": ") + lock_err);
    ui_.SetBusy(false);
    Report();
    return result_;
  }
  stage_ = std::make_unique<QTemporaryDir>(JoinPath(folder_, QStringLiteral(".alphabet-XXXXXX")));
  if (!stage_->isValid()) {
    Fail(error_number::kPathFileAccess, QStringLiteral("Cannot write to the program folder ") +
                                            folder_ + QStringLiteral(": ") + stage_->errorString());
  } else if (Generate() && TakeTics() && DescribeTics() && JoinFrames() && CheckNewSet()) {
    MoveIntoPlace();
  }
  stage_.reset();
  lock.Release();
  ui_.SetBusy(false);
  Report();
  return result_;
}

AlphabetResult AlphabetConstruction::Run(const AlphabetRequest& request,
                                         const QString& program_folder, UserInterface& ui) {
  Build build(request, program_folder, ui, command_line_);
  return build.Run();
}

}  // namespace quillon
