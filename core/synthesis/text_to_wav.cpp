#include "core/synthesis/text_to_wav.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <optional>

#include "core/common/limits.h"
#include "core/common/upper_case.h"
#include "core/synthesis/character_inventory.h"
#include "core/synthesis/output_guard.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "platform/temporaries.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("cmdConstructWavFromString_Click");
const QString kForm = QStringLiteral("frmMain");
const QString kSilenceMarker = QStringLiteral("<silence>");
// The file a checked build writes beside its output until it reads back right.
const QString kUnverifiedPrefix = QStringLiteral(".quillon-unverified-");
// A copy on its way into a batch's output folder (HeldFolder::CopyIn).
const QString kCopyPrefix = QStringLiteral(".quillon-copy-");
// The folder under TMPDIR that holds a long text's chunk files.
const QString kChunkFolderPrefix = QStringLiteral("quillon-build-");
const QString kSkippedMessage = QStringLiteral(
    "The text was skipped per dictionary translation rules; no WAV file was written.");
const QString kNothingToSendLine = QStringLiteral(
    "(error) Nothing to send: no character of the text is one a TTY can send, so no WAV file "
    "was written");

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

// The frame clips a text is joined from at most: one per character and one
// per shift between letters and figures.
qint64 CountFrames(const QString& text) {
  qint64 frames = 0;
  Shift shift = Shift::Unknown;
  for (char32_t c : text.toUcs4()) {
    const Shift wanted = IsLettersSetChar(c) ? Shift::Letters : Shift::Figures;
    if (c != U'~' && wanted != shift) ++frames;
    shift = c == U'~' ? Shift::Unknown : wanted;
    ++frames;
  }
  return frames;
}

bool EndsInLettersSet(const QString& text) {
  if (text.isEmpty()) return true;
  const QList<uint> chars = text.right(2).toUcs4();
  return IsLettersSetChar(chars.isEmpty() ? U' ' : chars.last());
}

// True when at least one character of `text` has a clip of its own (a
// blank does; unknown and refused characters do not).
bool HasCharacterToSend(const QString& text) {
  const QList<uint> chars = text.toUcs4();
  return std::any_of(chars.begin(), chars.end(), [](uint c) {
    return LookupCharClip(static_cast<char32_t>(c)).kind == CharOutcome::Kind::Clip;
  });
}

}  // namespace

const QString kEmptyTextMessage =
    QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format.");

QString ClosingMessage(const BuildResult& result) {
  switch (result.status) {
    case BuildResult::Status::EmptyText:
      return kEmptyTextMessage;
    case BuildResult::Status::Built:
      return QStringLiteral("Done.");
    case BuildResult::Status::Skipped:
      return kSkippedMessage;
    case BuildResult::Status::Failed:
      return QStringLiteral("The WAV file was not built.\n\n") + result.errors.join('\n');
    case BuildResult::Status::Refused:
      return result.errors.join('\n');
  }
  return QString();
}

QString TextToWav::ChunkFileName(int number) {
  return QStringLiteral("MultiWAVChunk") + QString::number(number) + QStringLiteral(".wav");
}

qsizetype TextToWav::TranslationBound(qsizetype original) {
  return std::min<qsizetype>(1000000, std::max<qsizetype>(10000, original * 100));
}

/// One call of the construction: the working values that live for one text.
class TextToWav::Pass {
 public:
  Pass(const BuildRequest& request, const BuildEnvironment& environment, DiagnosticOutput& report)
      : request_(request), env_(environment), report_(report) {}

  BuildResult Run();

 private:
  void Report(const QString& line) { report_.WriteLine(line); }
  void ReportError(const RuntimeError& error);
  bool Translate(QString* text);
  QString OutputAsOnDisk();
  bool CheckOutputPath();
  bool HoldOutputFolder();
  bool CheckOutputName();
  void SweepStaleUnverified();
  QString ResolveOutput() const;
  bool CheckRoom(const QString& text, int silences);
  bool CheckLength(const QString& text, int silences);
  void AddCharacter(char32_t c);
  void CutChunkIfDue();
  bool RunCommand(const QString& output);
  void FinalRun(const QString& sent);
  void Verify(const QString& sent);
  void CleanUp();
  void Finish();

  const BuildRequest& request_;
  const BuildEnvironment& env_;
  DiagnosticOutput& report_;
  Shift shift_ = Shift::Unknown;
  WavcatCommandLine command_;
  BuildResult result_;
  QString output_;     // the output path, absolute
  HeldFolder folder_;  // the output's folder, held from the check to the last write
  QString name_;       // the output's name in it, as it is on disk when it exists
  int characters_since_chunk_ = 0;
  QStringList chunks_;  // the chunk files written so far, in order
  std::unique_ptr<QTemporaryDir> scratch_;
  bool failed_ = false;
  QString unverified_;         // the name of the last run's file while the check reads it
  QString verification_line_;  // "Verified: ...", reported after "New Text="
  std::optional<RuntimeError> verification_error_;
};

void TextToWav::Pass::ReportError(const RuntimeError& error) {
  const QString line = FormatErrorLine(error, kProcedure, kForm);
  result_.errors.append(line);
  Report(line);
  failed_ = true;
}

// Runs the text through the dictionary translation, which may declare it a
// text not to build; false when the text is not to be built (skipped, or
// grown past the bound).
bool TextToWav::Pass::Translate(QString* text) {
  if (!request_.translate || !env_.translation) return true;
  const qsizetype bound = TranslationBound(text->size());
  const TranslationStage::Result translated = env_.translation->Translate(*text, bound);
  if (translated.skip) {
    Report(QStringLiteral("File skipped per dictionary translation rules"));
    result_.status = BuildResult::Status::Skipped;
    return false;
  }
  if (translated.too_long) {
    ReportError({error_number::kTextTooLong,
                 QStringLiteral("Translation would make the text more than ") +
                     QString::number(bound) +
                     QStringLiteral(" characters long, over the limit; check the dictionary and "
                                    "the character-replacement table for entries that feed each "
                                    "other")});
    result_.status = BuildResult::Status::Failed;
    return false;
  }
  *text = translated.text;
  return true;
}

// The output path as the report shows it: the path given, with its file
// name as the folder holds it when a file of that name in another case is
// what the build will replace, so that the report names the file on disk.
QString TextToWav::Pass::OutputAsOnDisk() {
  const QString& given = request_.output_path;
  if (given.isEmpty()) return given;
  output_ = QFileInfo(given).absoluteFilePath();
  const QString found = ResolveOutput();
  if (found == output_) return given;
  return given.left(given.size() - QFileInfo(given).fileName().size()) +
         QFileInfo(found).fileName();
}

// An empty path names nothing, and a name holding a control character is no
// file name. A
// relative path is taken from Quillon's own working directory. The output is
// never one of the program's own files or the running batch's inputs.
bool TextToWav::Pass::CheckOutputPath() {
  if (request_.output_path.isEmpty()) {
    ReportError({error_number::kPathFileAccess, QStringLiteral("No output file name given")});
    return false;
  }
  for (QChar c : request_.output_path) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ReplacementCharacter) {
      ReportError({error_number::kPathFileAccess,
                   QStringLiteral("Invalid file name (it holds a control character or a byte "
                                  "that is not text): ") +
                       request_.output_path.toHtmlEscaped()});
      return false;
    }
  }
  output_ = QFileInfo(request_.output_path).absoluteFilePath();
  return HoldOutputFolder() && CheckOutputName();
}

// The output's folder is opened once; every check and write afterwards goes
// through it, so a folder swapped for a link meanwhile changes nothing. An
// output path that names a folder fails here, before any run.
bool TextToWav::Pass::HoldOutputFolder() {
  const QFileInfo info(output_);
  const QString& given = request_.output_path;
  if (given.endsWith(QLatin1Char('/')) || info.fileName().isEmpty() ||
      info.fileName() == QStringLiteral(".") || info.fileName() == QStringLiteral("..")) {
    ReportError({error_number::kPathFileAccess,
                 QStringLiteral("The output path names a folder, not a file: ") + given});
    return false;
  }
  QString err;
  int why = 0;
  if (!folder_.Open(info.absolutePath(), &err, &why)) {
    ReportError({error_number::kPathNotFound,
                 why == ENOENT ? QStringLiteral("Path not found: ") + info.absolutePath()
                               : QStringLiteral("Path not found: ") + info.absolutePath() +
                                     QStringLiteral(" (") + err + QLatin1Char(')')});
    return false;
  }
  SweepStaleUnverified();
  return true;
}

// What is at the output's name now: a file (replaced), nothing (made), or
// something that is never written: a folder, a link (its target could lie
// anywhere, so Quillon does not write through it, with or without the
// check), a device, a pipe or a socket. The program's own files and the
// files this run reads are refused too.
bool TextToWav::Pass::CheckOutputName() {
  name_ = QFileInfo(ResolveOutput()).fileName();
  struct stat st;
  const HeldFolder::Kind kind = folder_.KindOf(name_, &st);
  const QString shown = JoinPath(folder_.path(), name_);
  QString refusal;
  switch (kind) {
    case HeldFolder::Kind::Folder:
      refusal = QStringLiteral("The output path names a folder, not a file: ") + shown;
      break;
    case HeldFolder::Kind::Link:
      refusal = QStringLiteral("The output file ") + shown +
                QStringLiteral(
                    " is a symbolic link; Quillon does not write through links. Name "
                    "the file itself, or remove the link.");
      break;
    case HeldFolder::Kind::Other:
      refusal =
          QStringLiteral("The output file ") + shown +
          QStringLiteral(" is a device, a pipe or a socket, not a file: choose another name.");
      break;
    case HeldFolder::Kind::Regular:
    case HeldFolder::Kind::Missing: {
      FileIdentity existing;
      if (kind == HeldFolder::Kind::Regular)
        existing = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino), true};
      refusal = OutputRefusal(shown, folder_.Identity(), name_, existing, env_.program_folder,
                              env_.protected_files);
      break;
    }
  }
  if (refusal.isEmpty()) return true;
  ReportError({error_number::kPermissionDenied, refusal});
  return false;
}

// The files of this kind that a build killed before its end left in the
// output's folder go, once their owner is no longer alive (a job looks at
// each of its folders once).
void TextToWav::Pass::SweepStaleUnverified() {
  if (env_.swept_folders) {
    const FileIdentity identity = folder_.Identity();
    const QString key =
        QString::number(identity.device) + QLatin1Char(':') + QString::number(identity.inode);
    if (env_.swept_folders->contains(key)) return;
    env_.swept_folders->insert(key);
  }
  RemoveStaleTemporaries(folder_.path(), kUnverifiedPrefix);
  RemoveStaleTemporaries(folder_.path(), kCopyPrefix);
}

// The output as it is found in its folder, without regard to case.
QString TextToWav::Pass::ResolveOutput() const {
  return env_.output_names ? env_.output_names->Resolve(output_) : ResolveCaseInsensitive(output_);
}

// Refuses, before any run, a text whose WAV would be longer than the bound:
// one frame per clip joined, a second per silence marker.
bool TextToWav::Pass::CheckLength(const QString& text, int silences) {
  if (!env_.set || env_.set->sample_rate <= 0) return true;
  const qint64 frame = std::max(env_.set->FrameSamples("00000"), env_.set->FrameSamples("11111"));
  const qint64 seconds = CountFrames(text) * frame / env_.set->sample_rate + silences;
  if (seconds <= limits::kPromptSeconds) return true;
  ReportError({error_number::kTextTooLong,
               QStringLiteral("The WAV of this text would be about ") +
                   QString::number((seconds + 59) / 60) +
                   QStringLiteral(" minutes long, over the limit of ") +
                   QString::number(limits::kPromptSeconds / 60) +
                   QStringLiteral(" minutes; split the text into several prompts")});
  return false;
}

// Refuses a build that the disk has no room for: every character is one
// frame clip, plus a shift clip at each change between letters and figures.
bool TextToWav::Pass::CheckRoom(const QString& text, int silences) {
  const auto size_of = [this](const char* clip) {
    return QFileInfo(ResolveCaseInsensitive(JoinPath(env_.program_folder, QLatin1String(clip))))
        .size();
  };
  const qint64 frame = size_of("a.wav");
  const qint64 clips = CountFrames(text) + 1;
  SpaceNeed need;
  need.output_bytes =
      clips * frame + size_of(kLeadingSilenceClip) + silences * size_of(kTrailingSilenceClip);
  if (text.size() > kCharactersPerChunk) need.scratch_bytes = need.output_bytes;
  QString err;
  if (HasRoomFor(need, QFileInfo(output_).absolutePath(), ScratchFolder(), &err)) return true;
  ReportError({error_number::kDiskFull, err});
  return false;
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
    Report(outcome.message);
  }
}

// After every 801 characters (when more follow) the command line so far is
// joined into the next chunk file, and a new command line begins. The shift state runs on across
// the cut, so the clips continue as if nothing had been cut. The chunk files
// live in a folder of this build's own.
void TextToWav::Pass::CutChunkIfDue() {
  // The cut waits for the next character, so that the last run always has
  // clips of its own besides the chunks.
  if (characters_since_chunk_++ < kCharactersPerChunk) return;
  characters_since_chunk_ = 1;
  if (failed_) {
    command_.Reset();
    return;
  }
  if (!scratch_) {
    // Chunk folders of builds that were killed before their end go first.
    RemoveStaleTemporaries(ScratchFolder(), kChunkFolderPrefix);
    scratch_ = std::make_unique<QTemporaryDir>(JoinPath(
        ScratchFolder(), kChunkFolderPrefix + QString::number(QCoreApplication::applicationPid()) +
                             QStringLiteral("-XXXXXX")));
    if (!FolderExists(ScratchFolder())) {
      ReportError(
          {error_number::kPathFileAccess,
           QStringLiteral("Cannot create a folder for the chunk files in ") + ScratchFolder() +
               QStringLiteral(": it is no folder (set TMPDIR to one that can be written)")});
      command_.Reset();
      return;
    }
    if (!scratch_->isValid()) {
      ReportError({error_number::kPathFileAccess,
                   QStringLiteral("Cannot create a folder for the chunk files in ") +
                       ScratchFolder() + QStringLiteral(": ") + scratch_->errorString()});
      command_.Reset();
      return;
    }
  }
  const QString chunk =
      JoinPath(scratch_->path(), ChunkFileName(static_cast<int>(chunks_.size()) + 1));
  command_.AddPath(chunk);
  if (RunCommand(chunk)) chunks_.append(chunk);
  command_.Reset();
}

// Runs the command line built so far; `output` is the file it must leave
// behind. Once a run has failed, later runs are pointless (their input is
// missing) and are not started.
bool TextToWav::Pass::RunCommand(const QString& output) {
  ++result_.wavcat_runs;
  RuntimeError error;
  if (!RunWavcatCommand(command_.arguments(), env_.program_folder, env_.idle, &error)) {
    ReportError(error);
    return false;
  }
  if (!FileExists(ResolveCaseInsensitive(output))) {
    ReportError(
        {error_number::kToolFailed, QStringLiteral("wavcat wrote no output file: ") + output});
    return false;
  }
  return true;
}

// The last run joins the chunk files, the rest of the clips and
// the output. A read-only output is made writable so that it can be
// replaced, and gets its old mode back when the run fails. With a check,
// the run writes a file of its own beside the output instead (see Verify).
void TextToWav::Pass::FinalRun(const QString& sent) {
  WavcatCommandLine final_command;
  for (const QString& chunk : chunks_) final_command.AddPath(chunk);
  for (const QString& name : command_.arguments()) final_command.Add(name);
  if (env_.check) {
    // A name no other file has, in the output's folder, so that the rename
    // that puts it in place stays on one file system. wavcat makes the file
    // under that exact name (it searches no folder for it in another case)
    // with the mode any new output gets, and, the file being new, has nothing
    // to flush first.
    do {
      unverified_ = TemporaryName(kUnverifiedPrefix, QStringLiteral(".wav"));
    } while (folder_.KindOf(unverified_) != HeldFolder::Kind::Missing);
    final_command.AddPath(folder_.StablePath(unverified_));
    // A prompt of clips alone can be received while wavcat joins them.
    if (chunks_.isEmpty()) env_.check->Expect(command_.arguments(), sent);
    command_ = final_command;
    if (!RunCommand(folder_.StablePath(unverified_))) {
      folder_.Remove(unverified_);
      unverified_.clear();
    }
    return;
  }
  // Without the check wavcat replaces the output itself, in the held folder.
  // A read-only output is made writable so that it can be replaced, and gets
  // its old mode back when the run fails.
  final_command.AddPath(folder_.StablePath(name_));
  command_ = final_command;
  mode_t mode = 0;
  QString err;
  const bool made_writable = folder_.MakeOwnerWritable(name_, &mode, &err);
  if (!err.isEmpty()) {
    ReportError({error_number::kPermissionDenied, err});
    return;
  }
  if (!RunCommand(folder_.StablePath(name_))) {
    if (made_writable) folder_.SetMode(name_, mode);
    return;
  }
  result_.written = JoinPath(folder_.path(), name_);
  if (env_.output_names) env_.output_names->Add(result_.written);
}

// Reads the file the last run wrote back with the check. A file that passes
// replaces the output (an output of another case is replaced under its own
// name); one that fails is deleted, and whatever was at the output stays: a
// prompt a TTY would misread never takes a good one's place. The report line
// waits for "New Text=", which it follows.
void TextToWav::Pass::Verify(const QString& sent) {
  if (!env_.check || failed_ || unverified_.isEmpty()) return;
  QString problem;
  if (!env_.check->Check(folder_.StablePath(unverified_), sent, &verification_line_, &problem)) {
    verification_error_ = {error_number::kVerificationFailed, problem};
    folder_.Remove(unverified_);
    return;
  }
  // The checked file replaces the output as wavcat itself would replace it:
  // it takes the old file's mode bits (with the owner's write bit), owner and
  // group where they may be set, and reaches the disk before the rename, so
  // that a crash never leaves a truncated prompt where the user's old one
  // was. The name is looked at again: the output may have come meanwhile.
  const QString target = QFileInfo(ResolveOutput()).fileName();
  struct stat st;
  const HeldFolder::Kind kind = folder_.KindOf(target, &st);
  QString err;
  if (kind == HeldFolder::Kind::Regular) {
    folder_.TakeOverAttributes(target, unverified_);
    if (st.st_size > 0 && !folder_.Flush(unverified_))
      err = QStringLiteral("cannot flush the new file to disk");
  } else if (kind != HeldFolder::Kind::Missing) {
    err = QStringLiteral("The output ") + JoinPath(folder_.path(), target) +
          QStringLiteral(" is no longer a file");
  }
  if (!err.isEmpty() || !folder_.Rename(unverified_, target, &err)) {
    folder_.Remove(unverified_);
    ReportError({error_number::kPermissionDenied, err});
    verification_line_.clear();
    return;
  }
  result_.written = JoinPath(folder_.path(), target);
  if (env_.output_names) env_.output_names->Add(result_.written);
  result_.verified = verification_line_.startsWith(QStringLiteral("Verified: "));
}

// The chunk files go once the output is built; after a failure they stay,
// and the report says where.
void TextToWav::Pass::CleanUp() {
  if (!scratch_) return;
  if (failed_ && scratch_->isValid()) {
    scratch_->setAutoRemove(false);
    Report(QStringLiteral("Chunk files kept in ") + scratch_->path());
  }
  scratch_.reset();
}

BuildResult TextToWav::Pass::Run() {
  if (request_.text.isEmpty()) {
    result_.status = BuildResult::Status::EmptyText;
    return result_;
  }

  // The working text, upper case, line pairs turned into blanks.
  QString text = UpperCaseEachCharacter(request_.text);
  Report(QStringLiteral("File path=") + OutputAsOnDisk());
  Report(QStringLiteral("Original String=") + text);
  if (!env_.clip_set.isEmpty()) Report(QStringLiteral("Clip set=") + env_.clip_set);
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));

  if (!Translate(&text)) {
    Finish();
    return result_;
  }

  // Silence markers go to the end of the output.
  const int silences = CountSilenceMarkers(text);
  text.remove(kSilenceMarker, Qt::CaseInsensitive);

  // The clips, chunk by chunk, then the closing shift, the silences and the
  // output. A text with nothing to send is still walked, so that its unknown
  // and refused characters are reported, but nothing is joined.
  const bool sendable = HasCharacterToSend(text);
  if (!sendable) {
    failed_ = true;
  } else if (CheckLength(text, silences) && CheckOutputPath()) {
    CheckRoom(text, silences);
  }
  command_.Add(QString::fromLatin1(kLeadingSilenceClip));
  for (char32_t c : text.toUcs4()) {
    CutChunkIfDue();
    AddCharacter(c);
  }
  if (!sendable) {
    result_.errors.append(kNothingToSendLine);
    Report(kNothingToSendLine);
  }
  if (!EndsInLettersSet(text)) command_.Add(QString::fromLatin1(kClosingLtrsClip));
  for (int i = 0; i < silences; ++i) command_.Add(QString::fromLatin1(kTrailingSilenceClip));
  if (!failed_) FinalRun(text);
  Verify(text);
  CleanUp();
  result_.new_text = text;

  // What was sent, and whether the receiver read it back.
  Report(QStringLiteral("New Text=") + text);
  if (!verification_line_.isEmpty()) Report(verification_line_);
  if (verification_error_) ReportError(*verification_error_);
  result_.status = failed_ ? BuildResult::Status::Failed : BuildResult::Status::Built;
  Finish();
  return result_;
}

// The closing blank line.
void TextToWav::Pass::Finish() {
  Report(QString());
}

BuildResult TextToWav::Build(const BuildRequest& request, const BuildEnvironment& environment,
                             DiagnosticOutput& report) {
  Pass pass(request, environment, report);
  return pass.Run();
}

}  // namespace quillon
