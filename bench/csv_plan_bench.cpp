// What planning a CSV batch costs before its first prompt: a file of 100,000 rows
// (about 60 characters each, in a few output folders, one row in a hundred aimed at an
// earlier row's file in another case) read, split, resolved and checked for rows that
// name one output twice. Prints the median time of RUNS plans and the memory the plan
// held at its peak, against the goals: under 1 s and under 100 MB.
//
//   csv_plan_bench [ROWS] [RUNS]   (default 100000 5)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/batch/csv_import.h"

namespace {

// The resident set's peak so far, in KiB (VmHWM), and a reset of the peak to
// the resident set now, so that one plan's peak can be read on its own.
long PeakKib() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}
long ResidentKib() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}
void ResetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  QTemporaryDir dir;
  for (int f = 0; f < 8; ++f) QDir(dir.path()).mkpath(QStringLiteral("out%1").arg(f));
  const QString csv = dir.filePath(QStringLiteral("list.csv"));
  {
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly)) return 2;
    QByteArray text = "FILE, TEXT\r\n";
    for (int i = 0; i < rows; ++i) {
      const int name = i % 100 == 99 ? i - 50 : i;  // now and then an earlier row's file
      text += QStringLiteral(
                  "out%1/%2%3.wav,\"Prompt %4: please hold, an agent will be "
                  "with you shortly.\"\r\n")
                  .arg(name % 8)
                  .arg(name == i ? QStringLiteral("prompt") : QStringLiteral("PROMPT"))
                  .arg(name)
                  .arg(i)
                  .toUtf8();
    }
    file.write(text);
  }
  std::vector<double> seconds;
  long peak_kib = 0;
  qsizetype same = 0;
  for (int r = 0; r < runs; ++r) {
    ResetPeak();
    const long before = ResidentKib();
    QElapsedTimer clock;
    clock.start();
    const quillon::CsvPlan plan = quillon::PlanCsvFile(csv);
    seconds.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    peak_kib = std::max(peak_kib, PeakKib() - before);
    same = std::count_if(plan.rows.begin(), plan.rows.end(),
                         [](const quillon::CsvRow& row) { return row.same_output_as != 0; });
    if (!plan.ok || plan.rows.size() != static_cast<size_t>(rows)) {
      std::fprintf(stderr, "csv_plan_bench: the plan is wrong\n");
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf("planning a CSV file of %d rows (%.1f MB), %d runs:\n", rows,
              static_cast<double>(QFile(csv).size()) / 1e6, runs);
  std::printf("  median %.3f s (%.3f..%.3f); %lld rows aimed at an earlier row's file\n", median,
              seconds.front(), seconds.back(), static_cast<long long>(same));
  std::printf("  time/1 s = %.2f (goal <= 1): %s\n", median, median <= 1.0 ? "met" : "MISSED");
  const double mb = static_cast<double>(peak_kib) / 1024.0;
  std::printf("  peak memory of a plan %.1f MB; /100 MB = %.2f (goal <= 1): %s\n", mb, mb / 100,
              mb <= 100 ? "met" : "MISSED");
  return 0;
}
