// Speed of the dictionary translation: the filters over a large dictionary
// and a long text, the whole translation step with the shipped tables, and
// the field splitter on long lines.
#include <benchmark/benchmark.h>

#include <QStringList>
#include <random>

#include "core/translation/dictionary.h"
#include "core/translation/filters.h"
#include "core/translation/tokenizer.h"

namespace quillon {
namespace {

QString RandomWord(std::mt19937& random, int min_length, int max_length) {
  const int length = std::uniform_int_distribution<int>(min_length, max_length)(random);
  QString word;
  for (int i = 0; i < length; ++i)
    word += QChar(u'A' + std::uniform_int_distribution<int>(0, 25)(random));
  return word;
}

/// A text of about `characters` characters: words from a vocabulary of 300,
/// some followed by a mark, separated by blanks, ending in the blank the
/// translation step appends.
QString Text(int characters, const QStringList& vocabulary, std::mt19937& random) {
  QString text;
  const QStringList marks = {QString(), QString(), QString(), QStringLiteral(","),
                             QStringLiteral(".")};
  while (text.size() < characters) {
    text += vocabulary[std::uniform_int_distribution<int>(0, int(vocabulary.size()) - 1)(random)];
    text += marks[std::uniform_int_distribution<int>(0, int(marks.size()) - 1)(random)];
    text += QLatin1Char(' ');
  }
  return text;
}

/// `entries` dictionary entries: mostly single words, one in ten a phrase,
/// a few markup words; `hit_share` of the single words come from the
/// text's vocabulary, so that they really replace something.
void Dictionary(int entries, double hit_share, const QStringList& vocabulary, std::mt19937& random,
                QStringList* from, QStringList* to) {
  std::uniform_real_distribution<double> share(0.0, 1.0);
  for (int i = 0; i < entries; ++i) {
    if (i % 10 == 9) {
      from->append(RandomWord(random, 3, 8) + QLatin1Char(' ') + RandomWord(random, 3, 8));
    } else if (share(random) < hit_share) {
      from->append(
          vocabulary[std::uniform_int_distribution<int>(0, int(vocabulary.size()) - 1)(random)]);
    } else {
      from->append(RandomWord(random, 4, 10));
    }
    to->append(i % 97 == 50 ? QStringLiteral("<REMOVE>") : RandomWord(random, 3, 9));
  }
}

void FilterDictionaryBench(benchmark::State& state) {
  std::mt19937 random(7);
  QStringList vocabulary;
  for (int i = 0; i < 300; ++i) vocabulary.append(RandomWord(random, 2, 9));
  const QString text = Text(int(state.range(1)), vocabulary, random);
  QStringList from, to;
  Dictionary(int(state.range(0)), state.range(2) / 100.0, vocabulary, random, &from, &to);
  for (auto _ : state) benchmark::DoNotOptimize(FilterDictionary(text, from, to));
  state.counters["entries"] = double(from.size());
  state.counters["characters"] = double(text.size());
}
// entries, characters, percentage of single words taken from the text
BENCHMARK(FilterDictionaryBench)
    ->Args({2000, 5000, 0})
    ->Args({2000, 5000, 2})
    ->Args({2000, 5000, 20})
    ->Args({200, 500, 2})
    ->Unit(benchmark::kMillisecond);

void FilterCharReplacementBench(benchmark::State& state) {
  std::mt19937 random(11);
  QStringList vocabulary;
  for (int i = 0; i < 300; ++i) vocabulary.append(RandomWord(random, 2, 9) + QStringLiteral("*@%"));
  const QString text = Text(5000, vocabulary, random);
  QStringList from, to;
  for (int i = 0; i < state.range(0); ++i) {
    from.append(QString(QChar(0xC0 + i % 64)));
    to.append(QStringLiteral("X"));
  }
  from << QStringLiteral("*") << QStringLiteral("@") << QStringLiteral("%");
  to << QStringLiteral(" STAR ") << QStringLiteral(" AT ") << QStringLiteral("<SPACE>");
  for (auto _ : state) benchmark::DoNotOptimize(FilterCharReplacement(text, from, to));
}
BENCHMARK(FilterCharReplacementBench)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

// The whole translation step with the tables the program ships.
void ShippedTablesTranslateBench(benchmark::State& state) {
  DictionaryTables tables;
  const QStringList dictionary = {QStringLiteral("*"), QStringLiteral("@"), QStringLiteral("+"),
                                  QStringLiteral("="), QStringLiteral("%")};
  for (const QString& f : dictionary) {
    tables.dict_from.append(f);
    tables.dict_to.append(QStringLiteral("WORD"));
  }
  for (int c = 0xC0; c <= 0xDE; ++c) {
    tables.char_from.append(QString(QChar(c)));
    tables.char_to.append(QStringLiteral("A"));
  }
  std::mt19937 random(3);
  QStringList vocabulary;
  for (int i = 0; i < 300; ++i) vocabulary.append(RandomWord(random, 2, 9));
  const QString text = Text(5000, vocabulary, random);
  for (auto _ : state) benchmark::DoNotOptimize(tables.Translate(text, kNoLengthBound));
}
BENCHMARK(ShippedTablesTranslateBench)->Unit(benchmark::kMicrosecond);

void GetTokensBench(benchmark::State& state) {
  QString line;
  while (line.size() < state.range(0))
    line += QStringLiteral("field one,\"quoted, with comma\",  padded  ,");
  for (auto _ : state) benchmark::DoNotOptimize(GetTokens(line, QStringLiteral(","), true));
  state.SetBytesProcessed(int64_t(state.iterations()) * line.size() * 2);
}
BENCHMARK(GetTokensBench)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
