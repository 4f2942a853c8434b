#include "core/synthesis/alphabet.h"

#include "platform/file_system.h"
#include "core/common/report.h"
#include "core/synthesis/wavcat_command.h"

namespace quillon {
namespace {

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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

void AlphabetConstruction::AppendTic(char tic) {
  command_line_ += tic == 'S' ? QStringLiteral(" spacetic.wav") : QStringLiteral(" marktic.wav");
}

AlphabetResult AlphabetConstruction::Run(std::optional<BaudRate> rate,
                                         const QString& program_folder, UserInterface& ui) {
  AlphabetResult result;
  const auto fail = [&](const RuntimeError& error) {
    ++result.failures;
    ui.MsgBox(FormatErrorLine(error, QStringLiteral("cmdCreateAlphabet_Click"),
                              QStringLiteral("frmConstructAlphabet")));
  };
  const auto copy = [&](std::string_view from, std::string_view to) {
    const QString source = ResolveCaseInsensitive(JoinPath(program_folder, Latin1(from)));
    if (!FileExists(source)) {
      fail({error_number::kFileNotFound, QStringLiteral("File not found: ") + source});
      return;
    }
    QString err;
    if (!CopyFileReplacing(source, JoinPath(program_folder, Latin1(to)), &err))
      fail({error_number::kPermissionDenied, err});
  };

  ui.SetBusy(true);
  if (rate) {
    const BaudRateInfo& info = kBaudRates[static_cast<size_t>(*rate)];
    copy(info.space_tic, "spacetic.wav");
    copy(info.mark_tic, "marktic.wav");
  }
  for (const AlphabetRow& row : kAlphabet) {
    command_line_ = QStringLiteral("wavcat");
    for (char tic : TicSequence(row)) AppendTic(tic);
    command_line_ += QLatin1Char(' ') + Latin1(row.clip);
    ++result.runs;
    RuntimeError error;
    if (!RunWavcatCommand(command_line_, program_folder, &ui, &error)) fail(error);
    if (!row.figure_copy.empty()) copy(row.clip, row.figure_copy);
  }
  ui.SetBusy(false);
  ui.MsgBox(QStringLiteral("Done."));
  return result;
}

}  // namespace quillon
