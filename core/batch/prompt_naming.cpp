#include "core/batch/prompt_naming.h"

#include "platform/file_system.h"

namespace quillon {
namespace {

constexpr qsizetype kNumberLength = 3;
constexpr qsizetype kCodeAndNumberLength = 6;
constexpr qsizetype kDroppedTextPrefix = 5;

}  // namespace

bool PromptNameFromHeader(const QString& header, QString* name, QString* problem) {
  if (header.size() < 3) {
    *problem = QStringLiteral("Section header names no prompt: ") + header;
    return false;
  }
  *name = header.mid(1, header.size() - 2);
  if (name->contains(QLatin1Char('/')) || name->contains(QLatin1Char('\\'))) {
    *problem = QStringLiteral("Prompt name is not a plain file name: ") + *name;
    return false;
  }
  return true;
}

bool IsNumericText(const QString& text) {
  const QString t = text.trimmed();
  qsizetype i = 0;
  const auto at = [&t](qsizetype k) { return k < t.size() ? t.at(k) : QChar(); };
  const auto digits = [&]() {
    const qsizetype from = i;
    while (at(i) >= QLatin1Char('0') && at(i) <= QLatin1Char('9')) ++i;
    return i - from;
  };
  if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-')) ++i;
  qsizetype mantissa = digits();
  if (at(i) == QLatin1Char('.')) {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (QStringLiteral("EeDd").contains(at(i)) && !at(i).isNull()) {
    ++i;
    if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-')) ++i;
    if (digits() == 0) return false;
  }
  return i == t.size();
}

bool HasPromptNumber(const QString& name) {
  return name.size() >= kNumberLength && IsNumericText(name.right(kNumberLength));
}

QString EnxName(const QString& name) {
  return name.left(name.size() - kCodeAndNumberLength) + kEnxCode + name.right(kNumberLength);
}

PromptTarget TargetForPrompt(const QString& folder, const QString& name, bool force_enx) {
  PromptTarget target;
  if (!force_enx || !HasPromptNumber(name)) {
    target.ok = true;
    target.output = JoinPath(folder, name + QStringLiteral(".WAV"));
    return target;
  }
  if (name.size() < kCodeAndNumberLength) {
    target.problem = QStringLiteral("Prompt name too short to take the ENX code: ") + name;
    return target;
  }
  const QString enx = EnxName(name);
  target.ok = true;
  target.copy_from = JoinPath(folder, name + QStringLiteral(".wav"));
  target.copy_to = JoinPath(folder, enx + QStringLiteral(".wav"));
  target.output = JoinPath(folder, enx + QStringLiteral(".WAV"));
  return target;
}

QString PromptTextFromLine(const QString& text_line) {
  if (text_line.size() < kDroppedTextPrefix) return text_line;
  return text_line.mid(kDroppedTextPrefix);
}

}  // namespace quillon
