#include "core/session/wav_builder.h"

#include "core/synthesis/alphabet.h"

namespace quillon {

WavBuilder::WavBuilder(QString program_folder, TranslationStage* translation)
    : program_folder_(std::move(program_folder)), translation_(translation) {}

ClipSetCheck WavBuilder::CheckClipSet() const {
  FinishInterruptedAlphabet(program_folder_);
  return quillon::CheckClipSet(program_folder_, decode_);
}

std::unique_ptr<BuildSession> WavBuilder::Open(Scope scope, QString* refusal) const {
  FinishInterruptedAlphabet(program_folder_);
  std::unique_ptr<BuildSession> session(new BuildSession);
  // Held shared from the check of the set to the end of the session, so that
  // an alphabet rebuild (which holds the folder exclusively) cannot swap the
  // set between the check and the last join.
  const bool job = scope == Scope::Job;
  if (job && FolderExists(program_folder_) &&
      !session->batch_lock_.Acquire(JoinPath(program_folder_, kBatchLockName),
                                    FileLock::Mode::Shared, true, refusal))
    return nullptr;
  if (FolderExists(program_folder_) &&
      !session->lock_.Acquire(program_folder_, FileLock::Mode::Shared, true, refusal))
    return nullptr;
  // A job builds many prompts from one check, so with verification on the
  // receiver hears every clip first.
  const ClipSetCheck check =
      decode_ || !verify_ || !job
          ? CheckClipSet()
          : quillon::CheckClipSet(program_folder_, ReceiverDecodeStep(program_folder_));
  if (!check.usable()) {
    *refusal = ClipSetRefusal(program_folder_, check);
    return nullptr;
  }
  session->set_ = *check.set;
  session->verify_ = verify_;
  session->job_ = job;
  session->environment_.program_folder = program_folder_;
  session->environment_.clip_set = check.set->Describe();
  session->environment_.set = &session->set_;
  session->environment_.translation = translation_;
  session->read_files_ = read_files_;
  session->environment_.protected_files = read_files_;
  if (job) {
    session->names_ = std::make_unique<FolderNames>();
    session->environment_.output_names = session->names_.get();
    session->environment_.swept_folders = &session->swept_;
    if (verify_)
      session->job_check_ = std::make_unique<ReceiverWavCheck>(session->set_, program_folder_);
  }
  return session;
}

BuildResult WavBuilder::BuildOne(const BuildRequest& request, DiagnosticOutput& report,
                                 std::function<void()> idle) const {
  BuildResult result;
  if (request.text.isEmpty()) return result;
  QString refusal;
  const std::unique_ptr<BuildSession> session = Open(Scope::OneBuild, &refusal);
  if (!session) {
    result.status = BuildResult::Status::Refused;
    result.errors = refusal.split(QLatin1Char('\n'));
    return result;
  }
  session->SetIdle(std::move(idle));
  return session->Build(request, report);
}

BuildSession::~BuildSession() = default;

BuildResult BuildSession::Build(const BuildRequest& request, DiagnosticOutput& report) {
  std::unique_ptr<ReceiverWavCheck> own_check;
  environment_.check = nullptr;
  if (verify_ && job_) {
    environment_.check = job_check_.get();
  } else if (verify_) {
    own_check = std::make_unique<ReceiverWavCheck>(set_, environment_.program_folder);
    environment_.check = own_check.get();
  }
  BuildResult result = TextToWav::Build(request, environment_, report);
  environment_.check = nullptr;
  return result;
}

QString BuildSession::Resolve(const QString& path) {
  return names_ ? names_->Resolve(path) : ResolveCaseInsensitive(path);
}

void BuildSession::NoteFile(const QString& path) {
  if (names_) names_->Add(path);
}

void BatchLogReport::WriteLine(const QString& line) {
  log_.WriteLine(QStringLiteral("    ") + line);
}

}  // namespace quillon
