// LoadLanguage over a language folder of 30 files of 100 KB each in the fake file system: every lookup
// reads its file from the start, so the time grows with how far into the files the header entries lie.
#include <benchmark/benchmark.h>

#include <string>

#include "language/language_loader.h"
#include "support/test_session.h"

namespace velora {
namespace {

constexpr int kFileCount = 30;
constexpr std::size_t kFileSize = 100 * 1024;

std::string HeaderEntries(int index) {
  const std::string n = std::to_string(index);
  return "[langname]\r\nLanguage " + n + "\r\n\r\n[langver]\r\n" + n + "\r\n\r\n[langcode]\r\n" +
         std::to_string(2000 + index) + "\r\n" + std::to_string(3000 + index) + "\r\n\r\n[langcharset]\r\n204\r\n\r\n" +
         "[progname]\r\nProgram " + n + "\r\n\r\n[ProgDescr0]\r\nDescription " + n + "\r\n\r\n";
}

// Message entries of two lines each until the file reaches its size, with the header entries first or last.
std::string LanguageFileBytes(int index, bool headersLast) {
  std::string messages;
  for (int key = 0; messages.size() + 600 < kFileSize; ++key) {
    messages += "[message" + std::to_string(key) + "]\r\n" + std::string(60, 'a' + key % 26) + " %1\r\n" +
                std::string(40, 'z') + "\r\n\r\n";
  }
  const std::string headers = HeaderEntries(index);
  std::string bytes = headersLast ? messages + headers : headers + messages;
  bytes.resize(kFileSize, ' ');
  return bytes;
}

std::string FileName(int index) {
  if (index == 0) return "english.lng";
  if (index == 1) return "russian.lng";
  return "lang" + std::to_string(index) + ".lng";
}

void LoadLanguageOverThirtyFiles(benchmark::State& state) {
  fakes::FakeWindows fake;
  const bool headersLast = state.range(0) != 0;
  for (int i = 0; i < kFileCount; ++i) {
    fake.files.AddFile("C:\\Velora\\language\\" + FileName(i), LanguageFileBytes(i, headersLast));
  }
  for (auto _ : state) {
    auto session = fakes::MakeTestSession(fake);
    session->Environment.ProductFolder = "C:\\Velora\\";
    const bool loaded = LoadLanguage(LanguageContextOf(*session));
    benchmark::DoNotOptimize(loaded);
    if (!loaded) state.SkipWithError("LoadLanguage failed");
    fake.journal.clear();
  }
  state.counters["files"] = kFileCount;
}
BENCHMARK(LoadLanguageOverThirtyFiles)->ArgName("headers_last")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velora

BENCHMARK_MAIN();
