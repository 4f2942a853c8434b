#include "core/synthesis/clip_set_check.h"

#include "core/synthesis/character_inventory.h"
#include "core/synthesis/clip_set_file.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

constexpr qsizetype kProblemsShown = 8;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Checks one clip against the description; false with the problem.
bool CheckClip(const ClipSet& set, const ClipUnderCheck& clip, QString* problem) {
  WavLayout layout;
  QString err;
  if (!ReadWavLayout(clip.path, &layout, &err)) {
    *problem = clip.name + QStringLiteral(" cannot be used: ") + err;
    return false;
  }
  if (layout.Format() != set.format || layout.sample_rate != set.sample_rate) {
    *problem = clip.name + QStringLiteral(" is ") + layout.Describe() +
               QStringLiteral(", the set is ") + set.DescribeFormat();
    return false;
  }
  const qint64 frame = set.FrameSamples(clip.code);
  if (clip.at_set_rate && layout.Samples() != frame) {
    *problem = clip.name + QStringLiteral(" holds ") + QString::number(layout.Samples()) +
               QStringLiteral(" samples, not one frame at ") + DescribeRate(set.rate) +
               QStringLiteral(" (") + QString::number(frame) + QStringLiteral(")");
    return false;
  }
  return true;
}

}  // namespace

QString ClipSetCheck::Summary() const {
  QStringList lines = problems.mid(0, kProblemsShown);
  if (problems.size() > kProblemsShown)
    lines << QStringLiteral("... and ") + QString::number(problems.size() - kProblemsShown) +
                 QStringLiteral(" more");
  return lines.join(QLatin1Char('\n'));
}

std::vector<ClipUnderCheck> ConstructionClips() {
  std::vector<ClipUnderCheck> clips;
  for (const AlphabetRow& row : kAlphabet) {
    clips.push_back({Latin1(row.clip), QString(), row.code, true});
    if (!row.figure_copy.empty())
      clips.push_back({Latin1(row.figure_copy), QString(), row.code, true});
  }
  clips.push_back({QString::fromLatin1(kBlankClip), QString(), "00000", false});
  clips.push_back({QString::fromLatin1(kLeadingSilenceClip), QString(), {}, false});
  clips.push_back({QString::fromLatin1(kTrailingSilenceClip), QString(), {}, false});
  return clips;
}

ClipSetCheck CheckClipSet(const QString& folder, const ClipDecodeStep& decode) {
  return CheckClipSet(QStringList{folder}, decode);
}

ClipSetCheck CheckClipSet(const QStringList& folders, const ClipDecodeStep& decode) {
  const auto find = [&folders](const QString& name) {
    QString path;
    for (const QString& folder : folders) {
      path = ResolveCaseInsensitive(JoinPath(folder, name));
      if (FileExists(path)) break;
    }
    return path;
  };
  ClipSetCheck check;
  ClipSet set;
  QString err;
  if (!ReadClipSet(find(kClipSetFileName), &set, &err)) {
    check.problems << QStringLiteral("The clip set is not described: ") + err;
    return check;
  }
  check.set = set;
  for (ClipUnderCheck clip : ConstructionClips()) {
    clip.path = find(clip.name);
    if (!FileExists(clip.path)) {
      check.problems << clip.name + QStringLiteral(" is missing");
      continue;
    }
    QString problem;
    if (!CheckClip(set, clip, &problem) || (decode && !decode(set, clip, &problem)))
      check.problems << problem;
  }
  return check;
}

QString ClipSetRefusal(const QString& folder, const ClipSetCheck& check) {
  return QStringLiteral("The clip set in ") + folder +
         QStringLiteral(" cannot be used, so nothing was built:\n") + check.Summary() +
         QStringLiteral("\n\nRebuild it with File > Create Alphabet (or quillon-cli alphabet).");
}

}  // namespace quillon
