// Every token class at every length around the 65,535-character limit, each
// token starting at every offset from -20 to +20 around a block edge (the
// source is read in blocks of kInputCapacity bytes), listed by the lister
// and by the plain scanner of reference.h, which must agree byte for byte,
// stop and status included; listSource must give the reference's pieces.
// Tokens that are listed share one scan per class; a token that is too long
// ends the run, so each of those has a scan of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "lexer.h"
#include "listing.h"
#include "reference.h"

namespace {

constexpr std::size_t kLimit = static_cast<std::size_t>(vexa::kMaxTokenLength);
constexpr int kReach = 20;  // lengths and offsets swept on each side of the limit and the edge

struct Listing {
  int status;
  std::string output;
};

Listing listWithLister(std::string& source) {
  std::FILE* in = source.empty() ? std::fopen("/dev/null", "r")
                                 : fmemopen(source.data(), source.size(), "r");
  std::FILE* out = std::tmpfile();
  if (in == nullptr || out == nullptr) return {-1, "cannot open the source or the listing"};
  const int status = vexa::listTokens(in, fileno(out));
  std::fclose(in);
  // The listing went to the descriptor: the stream's position is its end.
  std::fseek(out, 0, SEEK_END);
  std::string output(static_cast<std::size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  output.resize(std::fread(output.data(), 1, output.size(), out));
  std::fclose(out);
  return {status, output};
}

// The lister, listSource and the reference on one source. `expectedStatus`
// checks the reference too, so that a case built wrongly cannot pass unseen.
void expectSameListing(std::string& source, int expectedStatus, const std::string& what,
                       reference::Result* result = nullptr) {
  reference::Result expected = reference::scan(source);
  ASSERT_EQ(expected.status, expectedStatus) << what << ": the case is not what it claims";
  const Listing actual = listWithLister(source);
  ASSERT_EQ(actual.status, expected.status) << what;
  if (actual.output != expected.listing) {
    std::size_t at = 0;
    while (at < actual.output.size() && at < expected.listing.size() &&
           actual.output[at] == expected.listing[at])
      ++at;
    const std::size_t line = static_cast<std::size_t>(
        std::count(expected.listing.begin(), expected.listing.begin() + static_cast<long>(at), '\n'));
    FAIL() << what << ": the listings differ at byte " << at << ", line " << line << ": lister "
           << actual.output.substr(at, 60) << " | reference " << expected.listing.substr(at, 60);
  }
  const std::vector<vexa::ScanPiece> pieces = vexa::listSource(source.data(), source.size());
  ASSERT_EQ(pieces.size(), expected.pieces.size()) << what << ": listSource";
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const reference::Piece got{pieces[i].start, pieces[i].end, pieces[i].type};
    ASSERT_EQ(got, expected.pieces[i]) << what << ": piece " << i << " of listSource";
  }
  if (result != nullptr) *result = std::move(expected);
}

// ---- the tokens -------------------------------------------------------------

// Cycles through `pattern` for `count` characters.
std::string cycle(const char* pattern, std::size_t count, std::size_t phase = 0) {
  const std::string p(pattern);
  std::string s(count, ' ');
  for (std::size_t i = 0; i < count; ++i) s[i] = p[(i + phase) % p.size()];
  return s;
}

// Each maker returns the source of a token whose text is `length` characters
// long (a comment: `length` bytes in all).
std::string integer(std::size_t length) { return cycle("1234567890", length); }
std::string signedInteger(std::size_t length) {
  return std::string(length % 2 ? "-" : "+").append(cycle("9876543210", length - 1));
}
std::string decimal(std::size_t length) {
  std::string s = cycle("0123456789", length);
  s[5] = '.';
  return s;
}
std::string signedDecimal(std::size_t length) {
  std::string s = std::string(length % 2 ? "+" : "-").append(cycle("4567890123", length - 1));
  s[4] = '.';
  return s;
}
// Escapes every third character near both ends, where the block edges and the
// limit fall; an odd length also holds `:=`, which makes the class prirad.
std::string string(std::size_t length) {
  std::string text = cycle("abc xyz\t~", length);
  if (length % 2) text.replace(length / 2, 2, ":=");
  std::string source = "\"";
  for (std::size_t i = 0; i < length; ++i) {
    const bool nearEnd = i < 3 * kReach || i + 3 * kReach >= length;
    if (nearEnd && i % 3 == 0) {
      source += '\\';
      source += "\"\\n"[i / 3 % 3];
    } else {
      source += text[i];
    }
  }
  return source + '"';
}
std::string variable(std::size_t length) { return '$' + cycle("a1_Zb9", length) + '$'; }
std::string identifier(std::size_t length) {
  std::string s = cycle("x_1__yZ", length);
  if (s.back() == '_') s.back() = 'q';
  return s;
}
std::string lineComment(std::size_t length) {
  return "[>" + cycle("c ]]\t#\"$[>", length - 3) + '\n';
}
std::string blockComment(std::size_t length) {
  std::string body = cycle("b ]x]#c\n[[>", length - 4);
  body.back() = 'b';  // a `]` just before the closing pair would close it early
  return "[[" + body + "]]";
}

struct Class {
  const char* name;
  std::string (*make)(std::size_t length);
  bool limited;  // the text is collected and its length limited (not a comment)
};

const Class kClasses[] = {
    {"integer", integer, true},        {"signed_integer", signedInteger, true},
    {"decimal", decimal, true},        {"signed_decimal", signedDecimal, true},
    {"string", string, true},          {"variable", variable, true},
    {"identifier", identifier, true},  {"line_comment", lineComment, false},
    {"block_comment", blockComment, false}};

// ---- the layout -------------------------------------------------------------

// The first block edge with room for kReach bytes and a short token before it.
std::size_t firstEdge() {
  constexpr std::size_t kRoom = kReach + 2;
  return vexa::kInputCapacity * ((kRoom + vexa::kInputCapacity - 1) / vexa::kInputCapacity);
}

// The blanks to add at `pos` so that the next byte lies `offset` bytes from a block edge.
std::size_t padding(std::size_t pos, int offset) {
  const std::size_t b = vexa::kInputCapacity;
  const long wanted = static_cast<long>(pos) - offset;
  std::size_t edge = wanted <= 0 ? 0 : (static_cast<std::size_t>(wanted) + b - 1) / b * b;
  if (edge < firstEdge()) edge = firstEdge();
  return static_cast<std::size_t>(static_cast<long>(edge) + offset) - pos;
}

struct Case {
  std::size_t length;
  int offset;
};

// What follows a token: blanks, or a token of its own (a line in the listing).
const char* const kEnds[] = {" ", ";", "\n", "}"};

// One source holding every case, each placed by the fewest blanks.
struct Layout {
  std::string source;
  std::vector<std::size_t> lineOf;  // listing line of each case's token
  std::vector<Case> cases;          // in the order placed
};

template <class Token>
Layout layOut(std::vector<Case> cases, const Token& token, bool endsWithToken) {
  Layout layout;
  std::size_t line = 0;
  while (!cases.empty()) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < cases.size(); ++i)
      if (padding(layout.source.size(), cases[i].offset) <
          padding(layout.source.size(), cases[best].offset))
        best = i;
    const Case c = cases[best];
    cases.erase(cases.begin() + static_cast<long>(best));
    layout.source.append(padding(layout.source.size(), c.offset), ' ');
    layout.source += token(c);
    const char* end = endsWithToken ? ";" : kEnds[layout.cases.size() % std::size(kEnds)];
    layout.source += end;
    layout.lineOf.push_back(line);
    layout.cases.push_back(c);
    line += endsWithToken ? 1 : (end[0] == ';' || end[0] == '}') ? 2 : 1;
  }
  layout.source += '\n';  // so that the last token is ended, and labelled
  return layout;
}

// Where each line of a listing starts.
std::vector<std::size_t> lineStarts(const std::string& listing) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < listing.size(); ++i)
    if (listing[i] == '\n') starts.push_back(i + 1);
  return starts;
}

// Line `n` of a listing, without its line break.
std::string_view line(const std::string& listing, const std::vector<std::size_t>& starts, std::size_t n) {
  return std::string_view(listing).substr(starts.at(n), starts.at(n + 1) - starts.at(n) - 1);
}

std::string describe(const char* name, const Case& c) {
  return std::string(name) + ", length " + std::to_string(c.length) + ", offset " +
         std::to_string(c.offset) + " from a block edge";
}

// ---- the sweep --------------------------------------------------------------

void PrintTo(const Class& cls, std::ostream* out) { *out << cls.name; }

// Each length's token of one class, made once.
class Tokens {
 public:
  explicit Tokens(const Class& cls) {
    for (std::size_t length = kLimit - kReach; length <= kLimit + 1 + kReach; ++length)
      tokens_.push_back(cls.make(length));
  }
  const std::string& operator()(const Case& c) const { return tokens_.at(c.length - (kLimit - kReach)); }

 private:
  std::vector<std::string> tokens_;
};

// Every case of a class: lengths from 20 below the limit to 20 past the first
// length that is too long, each at offsets -20 to +20 from a block edge.
std::vector<Case> casesOf(const Class& cls, bool tooLong) {
  std::vector<Case> cases;
  for (std::size_t length = kLimit - kReach; length <= kLimit + 1 + kReach; ++length)
    for (int offset = -kReach; offset <= kReach; ++offset) {
      const bool stops = cls.limited && length > kLimit;
      if (stops == tooLong) cases.push_back({length, offset});
    }
  return cases;
}

class LongTokens : public testing::TestWithParam<Class> {};

// The tokens that are listed share one scan; each must come out whole.
TEST_P(LongTokens, ListedAtEveryLengthUpToTheLimitAtEveryOffsetAroundABlockEdge) {
  const Class& cls = GetParam();
  const Tokens token(cls);
  const std::vector<Case> cases = casesOf(cls, false);
  Layout layout = layOut(cases, token, !cls.limited);
  reference::Result result;
  expectSameListing(layout.source, 0, std::string(cls.name) + ", the listed lengths", &result);
  if (HasFatalFailure()) return;
  const std::vector<std::size_t> starts = lineStarts(result.listing);
  for (std::size_t i = 0; i < layout.cases.size(); ++i) {
    const std::string_view text = line(result.listing, starts, layout.lineOf[i]);
    if (cls.limited) {
      ASSERT_EQ(text.size() - text.find("] ") - 2, layout.cases[i].length)
          << describe(cls.name, layout.cases[i]) << ": not listed as one token";
    } else {
      ASSERT_EQ(text, "[ukonznak] ;") << describe(cls.name, layout.cases[i]);
    }
  }
  std::cout << cls.name << ": " << cases.size() << " (length, offset) combinations listed\n";
}

INSTANTIATE_TEST_SUITE_P(Sweep, LongTokens, testing::ValuesIn(kClasses),
                         [](const testing::TestParamInfo<Class>& info) { return info.param.name; });

std::vector<Class> limitedClasses() {
  std::vector<Class> limited;
  for (const Class& cls : kClasses)
    if (cls.limited) limited.push_back(cls);
  return limited;
}

class TooLongTokens : public testing::TestWithParam<Class> {};

// Each token that is too long has a scan of its own, after blanks up to its
// offset and a token whose line comes before the stop.
TEST_P(TooLongTokens, StoppedAtEveryLengthPastTheLimitAtEveryOffsetAroundABlockEdge) {
  const Class& cls = GetParam();
  const Tokens token(cls);
  const std::vector<Case> cases = casesOf(cls, true);
  std::string source;
  for (const Case& c : cases) {
    source.assign(static_cast<std::size_t>(static_cast<long>(firstEdge()) + c.offset), ' ');
    source[0] = 'x';
    source += token(c);
    source += kEnds[c.length % std::size(kEnds)];
    expectSameListing(source, vexa::kStatusError, describe(cls.name, c));
    if (HasFatalFailure()) return;
  }
  std::cout << cls.name << ": " << cases.size() << " (length, offset) combinations stopped\n";
}

INSTANTIATE_TEST_SUITE_P(Sweep, TooLongTokens, testing::ValuesIn(limitedClasses()),
                         [](const testing::TestParamInfo<Class>& info) { return info.param.name; });

// Tokens without a length of their own, each at every offset around a block
// edge, followed by a blank or by a character that ends it.
TEST(ShortTokens, EveryOperatorAndSignAtEveryOffsetAroundABlockEdge) {
  const char* const kTokens[] = {"!", "%", "(", ")", "*", "/", "=",  "^",  "&&", "||", "<",
                                 "<=", "<>", ">", ">=", ":=", ";", "{", "}", "+",  "-"};
  std::vector<Case> cases;
  for (std::size_t t = 0; t < std::size(kTokens); ++t)
    for (int offset = -kReach; offset <= kReach; ++offset) cases.push_back({t, offset});
  Layout layout = layOut(cases, [&](const Case& c) { return std::string(kTokens[c.length]); }, false);
  reference::Result result;
  expectSameListing(layout.source, 0, "operators", &result);
  if (HasFatalFailure()) return;
  const std::vector<std::size_t> starts = lineStarts(result.listing);
  for (std::size_t i = 0; i < layout.cases.size(); ++i) {
    const std::string_view text = line(result.listing, starts, layout.lineOf[i]);
    EXPECT_EQ(text.substr(text.find("] ") + 2), kTokens[layout.cases[i].length])
        << "offset " << layout.cases[i].offset;
  }
  std::cout << "operators: " << cases.size() << " (token, offset) combinations compared\n";
}

// A malformed token ends the run wherever the byte that breaks it falls.
TEST(MalformedTokens, EndTheRunAtEveryOffsetAroundABlockEdge) {
  const char* const kBroken[] = {"12.x", "$", "$a b", "a_ ", "[x", "&x", "|x", ":x", "-4.;"};
  std::size_t compared = 0;
  for (const char* broken : kBroken) {
    for (int offset = -kReach; offset <= kReach; ++offset) {
      std::string source(static_cast<std::size_t>(static_cast<long>(firstEdge()) + offset), ' ');
      source += broken;
      source += " more";
      expectSameListing(source, vexa::kStatusMalformed,
                        std::string(broken) + " at offset " + std::to_string(offset));
      if (HasFatalFailure()) return;
      ++compared;
    }
  }
  std::cout << "malformed: " << compared << " (token, offset) combinations compared\n";
}

}  // namespace
