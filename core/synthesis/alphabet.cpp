#include "core/synthesis/alphabet.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <array>
#include <memory>

#include "core/common/report.h"
#include "core/synthesis/clip_set_file.h"
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

// The staging folders of alphabet builds, in the program folder.
const QString kStagePrefix = QStringLiteral(".alphabet-");
// The journal of a switch under way: the name of the staging folder whose set
// is being moved into place.
const QString kSwitchJournal = QStringLiteral(".alphabet-switch");

bool FlushFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0;
  ::close(fd);
  return flushed;
}

// Moves the staged set into the program folder: every clip, then the
// description, then the journal goes and the staging folder with it. Each
// step may be done again after a crash: a file already moved is no longer
// in the staging folder.
bool CompleteSwitch(const QString& folder, const QString& stage_name, QString* err) {
  const QDir stage(JoinPath(folder, stage_name));
  for (const QString& name : stage.entryList(QDir::Files | QDir::Hidden)) {
    if (name == kClipSetFileName) continue;
    const QString target = ResolveCaseInsensitive(JoinPath(folder, name));
    if (!RenameReplacing(stage.filePath(name), target, err)) {
      *err = target + QStringLiteral(": ") + *err;
      return false;
    }
  }
  if (QFileInfo::exists(stage.filePath(kClipSetFileName)) &&
      !RenameReplacing(stage.filePath(kClipSetFileName),
                       ResolveCaseInsensitive(JoinPath(folder, kClipSetFileName)), err)) {
    *err = kClipSetFileName + QStringLiteral(": ") + *err;
    return false;
  }
  QFile::remove(JoinPath(folder, kSwitchJournal));
  QDir(stage.path()).removeRecursively();
  return true;
}

// The part of FinishInterruptedAlphabet that needs the set held exclusively.
void FinishInterruptedAlphabetHeld(const QString& folder) {
  QString stage_name;
  QFile journal(JoinPath(folder, kSwitchJournal));
  if (journal.open(QIODevice::ReadOnly)) {
    stage_name = QString::fromUtf8(journal.read(256)).trimmed();
    journal.close();
    QString err;
    if (stage_name.startsWith(kStagePrefix) && !stage_name.contains(QLatin1Char('/')) &&
        FolderExists(JoinPath(folder, stage_name))) {
      CompleteSwitch(folder, stage_name, &err);
    } else {
      QFile::remove(journal.fileName());
    }
  }
  // Staging folders without a switch: builds killed before their set was whole.
  for (const QString& name :
       QDir(folder).entryList({kStagePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden)) {
    if (name != kSwitchJournal) QDir(JoinPath(folder, name)).removeRecursively();
  }
}

}  // namespace

void FinishInterruptedAlphabet(const QString& program_folder) {
  // The common case costs one look at the folder.
  const QStringList left =
      QDir(program_folder)
          .entryList({kStagePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Files | QDir::Hidden);
  if (left.isEmpty()) return;
  FileLock lock;
  QString err;
  if (!lock.Acquire(program_folder, FileLock::Mode::Exclusive, false, &err)) return;
  FinishInterruptedAlphabetHeld(program_folder);
}

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
  const QStringList arguments = {QStringLiteral("--format"),
                                 Latin1(SampleFormatName(*request_.format)),
                                 QStringLiteral("--out"), stage_->path()};
  RuntimeError error;
  if (!RunToolCommand(
          QStringLiteral("quillon-clipgen"), arguments, folder_, stage_->path(),
          [this] { ui_.KeepAlive(); }, &error))
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
    // The line as the user reads it, and its arguments as the tool gets them.
    QStringList arguments;
    for (char tic : TicSequence(row)) arguments << (tic == 'S' ? kSpaceTic : kMarkTic);
    arguments << Latin1(row.clip);
    command_line_ = QStringLiteral("wavcat ") + arguments.join(QLatin1Char(' '));
    ++result_.runs;
    const QString clip = JoinPath(stage_->path(), Latin1(row.clip));
    RuntimeError error;
    if (!RunToolCommand(
            QStringLiteral("wavcat"), arguments, folder_, stage_->path(),
            [this] { ui_.KeepAlive(); }, &error)) {
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

// The staged set is whole and checked. It reaches the disk, then a journal
// that names it, and only then does the switch begin: a build killed at any
// instant of the switch leaves the journal, and the next run that looks at
// the set (FinishInterruptedAlphabet) completes the switch, so the program
// folder holds the old set or the new one, never a mixture that is used.
bool AlphabetConstruction::Build::MoveIntoPlace() {
  swap_started_ = true;
  const QDir stage(stage_->path());
  for (const QString& name : stage.entryList(QDir::Files | QDir::Hidden))
    FlushFile(stage.filePath(name));
  FlushFile(stage.path());
  const QString stage_name = QFileInfo(stage_->path()).fileName();
  QSaveFile journal(JoinPath(folder_, kSwitchJournal));
  if (!journal.open(QIODevice::WriteOnly) || journal.write(stage_name.toUtf8()) < 0 ||
      !journal.commit())
    return Fail(error_number::kPermissionDenied,
                kSwitchJournal + QStringLiteral(": ") + journal.errorString());
  FlushFile(folder_);
  stage_->setAutoRemove(false);  // the switch removes it
  QString err;
  if (!CompleteSwitch(folder_, stage_name, &err)) return Fail(error_number::kPermissionDenied, err);
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
    ui_.ShowMessage(QStringLiteral("Done."));
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
  ui_.ShowMessage(QStringLiteral("The alphabet was not built.\n\n") +
                  lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + state);
}

AlphabetResult AlphabetConstruction::Build::Run() {
  ui_.SetBusy(true);
  // Held from the first clip to the check of the set in place: builds hold
  // the folder shared, so none of them reads a set that is half old, half new.
  // A batch holds the set for as long as it runs: the rebuild is refused
  // plainly rather than left waiting behind it. A single build holds it for
  // a moment, and is waited for. The batch lock stays held, so that no batch
  // starts on the set while it is rebuilt.
  FileLock batches;
  FileLock lock;
  QString lock_err;
  const bool batch_running = !batches.Acquire(JoinPath(folder_, kBatchLockName),
                                              FileLock::Mode::Exclusive, false, &lock_err) &&
                             batches.busy();
  if (batch_running || !lock.Acquire(folder_, FileLock::Mode::Exclusive, true, &lock_err)) {
    Fail(error_number::kPathFileAccess,
         batch_running
             ? QStringLiteral("A batch is building prompts from the clip set in ") + folder_ +
                   QStringLiteral(". Create Alphabet can run when it has finished; "
                                  "nothing was changed.")
             : QStringLiteral("Cannot write to the program folder ") + folder_ +
                   QStringLiteral(": ") + lock_err);
    ui_.SetBusy(false);
    Report();
    return result_;
  }
  FinishInterruptedAlphabetHeld(folder_);
  stage_ =
      std::make_unique<QTemporaryDir>(JoinPath(folder_, kStagePrefix + QStringLiteral("XXXXXX")));
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
