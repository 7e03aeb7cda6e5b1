// The language file reader: line ends, Ctrl-Z, header matching, entry search, continuation lines and the
// integer rule, over bytes held in memory and fed in chunks of every size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/language_file_reader.h"

namespace velora {
namespace {

// Feeds bytes in chunks of chunkSize, then the empty chunk that ends the file.
ChunkSource FromBytes(std::string bytes, std::size_t chunkSize = 3) {
  return [bytes = std::move(bytes), chunkSize, at = std::size_t{0}]() mutable {
    std::string chunk = bytes.substr(std::min(at, bytes.size()), chunkSize);
    at += chunk.size();
    return platform::Succeeded(std::move(chunk));
  };
}

std::vector<std::string> LinesOf(const std::string& bytes, std::size_t chunkSize = 3) {
  LanguageFileReader reader(FromBytes(bytes, chunkSize));
  std::vector<std::string> lines;
  while (auto line = reader.TryNextLine()) lines.push_back(*line);
  return lines;
}

EntrySearch Search(const std::string& bytes, const std::string& key) {
  LanguageFileReader reader(FromBytes(bytes));
  return SearchEntry(reader, key);
}

using Lines = std::vector<std::string>;

TEST(LanguageFileReader, CrLfAndLoneLfEndLinesAndOtherCrsAreDropped) {
  for (std::size_t chunk : {1u, 2u, 3u, 64u}) {
    EXPECT_EQ(LinesOf("one\r\ntwo\nth\rree\r\n\r\nlast", chunk), (Lines{"one", "two", "three", "", "last"})) << chunk;
  }
  EXPECT_EQ(LinesOf("a\r\r\nb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(LinesOf(""), Lines{});
  EXPECT_EQ(LinesOf("\r\n"), Lines{""});
}

TEST(LanguageFileReader, ByteTwentySixEndsTheFileAndNulIsAnOrdinaryByte) {
  EXPECT_EQ(LinesOf(std::string("a\0b\r\nc\x1A\r\nhidden\r\n", 16)), (Lines{std::string("a\0b", 3), "c"}));
  EXPECT_EQ(LinesOf("a\r\n\x1A"
                    "b"),
            Lines{"a"});
}

// 64 KiB a line and 1 MiB a file are read; a byte more is a damaged file, and the line it is in is lost.
TEST(LanguageFileReader, LinesAndFilesPastTheirBoundsAreAReadError) {
  const std::string longest(64 * 1024, 'x');
  const std::string mebibyte = std::string(1024 * 1024 - 6, '\n') + "last\r\n";
  struct Row {
    std::string bytes;
    std::string lastLine;
    platform::WinError error;
  };
  const std::vector<Row> rows = {
      {longest + "\r\nshort", "short", 0},
      {longest + "\r\n" + longest + "y\r\nshort", longest, 13},  // ERROR_INVALID_DATA
      {mebibyte, "last", 0},
      {mebibyte + "x", "last", 13},
  };
  for (const Row& row : rows) {
    LanguageFileReader reader(FromBytes(row.bytes, 16 * 1024));
    std::string last;
    while (auto line = reader.TryNextLine()) last = *line;
    EXPECT_EQ(last, row.lastLine);
    EXPECT_EQ(reader.ReadError(), row.error);
  }
}

TEST(IsHeaderOf, MatchesWholeKeysWithoutRegardToCaseAfterTrimming) {
  EXPECT_TRUE(IsHeaderOf("[LangName]   \t", "langname"));
  EXPECT_TRUE(IsHeaderOf("[progdescr0]", "ProgDescr0"));
  EXPECT_TRUE(IsHeaderOf("[langver] comment after the bracket", "langver"));
  EXPECT_FALSE(IsHeaderOf(" [langname]", "langname"));  // blanks before "[": not a header
  EXPECT_FALSE(IsHeaderOf("[langnames]", "langname"));  // a longer key
  EXPECT_FALSE(IsHeaderOf("[lang]", "langname"));
  EXPECT_FALSE(IsHeaderOf("[xlangname]", "langname"));
  EXPECT_FALSE(IsHeaderOf("[langname", "langname"));
  EXPECT_FALSE(IsHeaderOf("[ langname]", "langname"));
  EXPECT_FALSE(IsHeaderOf("", "langname"));
  // Only ASCII letters fold: a Windows-1251 capital does not match its small letter.
  EXPECT_FALSE(IsHeaderOf("[\xC0]", "\xE0"));
}

TEST(SearchEntry, TakesTheUntrimmedLineAfterTheFirstHeaderOnly) {
  const std::string file = "comment\r\n[Key]\r\n  [value ]\r\n\r\n[key]\r\nsecond\r\n";
  const EntrySearch search = Search(file, "key");
  EXPECT_EQ(search.state, EntrySearchState::Found);
  EXPECT_EQ(search.FirstValueLine(), "  [value ]");
}

TEST(SearchEntry, TellsAMissingHeaderFromAHeaderOnTheLastLine) {
  const EntrySearch absent = Search("[other]\r\nx\r\n\r\n42\r\n", "langver");
  EXPECT_EQ(absent.state, EntrySearchState::NoHeader);
  EXPECT_EQ(absent.line, "42");  // the last line read, which the version reader converts
  EXPECT_EQ(absent.FirstValueLine(), "");

  const EntrySearch last = Search("[other]\r\nx\r\n[LANGVER]", "langver");
  EXPECT_EQ(last.state, EntrySearchState::HeaderIsLastLine);
  EXPECT_EQ(last.FirstValueLine(), "");

  EXPECT_EQ(Search("[langver]\r\n\r\n7\r\n", "langver").FirstValueLine(), "");
  EXPECT_EQ(Search("", "langver").line, "");
}

TEST(AppendContinuationLines, RunsThroughFollowingHeadersUpToABlankLine) {
  LanguageFileReader reader(FromBytes("[a]\r\none\r\n[b]\r\n two\r\n \t \r\nafter\r\n"));
  std::string text = SearchEntry(reader, "a").FirstValueLine();
  EXPECT_EQ(AppendContinuationLines(reader, text), 0u);
  EXPECT_EQ(text, "one\r\n[b]\r\n two");
}

// Reads the bytes as one chunk, then fails every further read with ERROR_READ_FAULT.
ChunkSource FailingAfter(std::string bytes) {
  return [bytes = std::move(bytes), calls = 0]() mutable {
    if (++calls > 1) return platform::Failed<std::string>(30);
    return platform::Succeeded(bytes);
  };
}

TEST(AppendContinuationLines, KeepsWhatWasReadWhenAReadFails) {
  LanguageFileReader reader(FailingAfter("[a]\r\none\r\ntwo\r\nthr"));
  std::string text = SearchEntry(reader, "a").FirstValueLine();
  EXPECT_EQ(AppendContinuationLines(reader, text), 30u);
  EXPECT_EQ(text, "one\r\ntwo");
}

TEST(SearchEntry, AReadFailureBeforeTheEntryIsReportedNotTakenForTheFilesEnd) {
  for (const char* bytes : {"[other]\r\nx\r\nlast", "[langver]"}) {
    LanguageFileReader reader(FailingAfter(bytes));
    const EntrySearch search = SearchEntry(reader, "langver");
    EXPECT_EQ(search.state, EntrySearchState::ReadFailed) << bytes;
    EXPECT_EQ(search.FirstValueLine(), "") << bytes;
    EXPECT_EQ(reader.ReadError(), 30u) << bytes;
    EXPECT_EQ(reader.TryNextLine(), std::nullopt) << bytes;
  }
}

TEST(TryParseLangInteger, AcceptsOnlyWholeDecimalIntegersIn32Bits) {
  EXPECT_EQ(TryParseLangInteger("1049"), 1049);
  EXPECT_EQ(TryParseLangInteger("-7"), -7);
  EXPECT_EQ(TryParseLangInteger("+7"), 7);
  EXPECT_EQ(TryParseLangInteger("2147483647"), 2147483647);
  EXPECT_EQ(TryParseLangInteger("-2147483648"), -2147483647 - 1);
  for (const char* bad :
       {"", "-", "1.0", " 1", "1 ", "0x10", "$10", "2147483648", "-2147483649", "99999999999999999999", "1e3", "12a"}) {
    EXPECT_EQ(TryParseLangInteger(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace velora
