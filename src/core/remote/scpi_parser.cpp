#include "core/remote/scpi_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/remote/scpi_error.h"

namespace qv {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsAlpha(c) || IsDigit(c) || c == '_'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperText(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

// Bytes never allowed outside strings; a stray one is an invalid character, not a syntax error.
bool IsBadByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u < 0x20 && !IsSpace(c)) || u >= 0x7f;
}

// Suffixes beyond this are all equally out of range; it keeps the value from overflowing.
constexpr int kSuffixCap = 1'000'000;

struct Mnemonic {
  std::string name;  // upper-cased, without the suffix
  bool has_suffix = false;
  int suffix = 1;
};

// Keeps a mnemonic's name and trailing digits apart: "MARK12" is MARK with suffix 12.
Mnemonic SplitMnemonic(std::string_view word) {
  size_t digits_at = word.size();
  while (digits_at > 1 && IsDigit(word[digits_at - 1])) --digits_at;
  Mnemonic m;
  m.name = UpperText(word.substr(0, digits_at));
  if (digits_at < word.size()) {
    m.has_suffix = true;
    int value = 0;
    for (char c : word.substr(digits_at)) value = std::min(kSuffixCap, value * 10 + (c - '0'));
    m.suffix = value;
  }
  return m;
}

ScpiParser::Node CompileNode(std::string_view spelling, bool optional, int* slots) {
  ScpiParser::Node node;
  node.optional = optional;
  std::string_view base = spelling;
  if (const size_t hash = spelling.find('#'); hash != std::string_view::npos) {
    base = spelling.substr(0, hash);
    int max = 0;
    for (char c : spelling.substr(hash + 1)) {
      if (IsDigit(c)) max = std::min(kSuffixCap, max * 10 + (c - '0'));
    }
    node.suffix_max = max > 0 ? max : kScpiDefaultSuffixMax;
    node.suffix_slot = (*slots)++;
  }
  for (char c : base) {
    if (!(c >= 'a' && c <= 'z')) node.short_form += c;
  }
  node.long_form = UpperText(base);
  return node;
}

ScpiParser::Entry CompileEntry(const ScpiCommand& command) {
  ScpiParser::Entry entry;
  entry.id = command.id;
  std::string_view pattern = command.pattern;
  if (!pattern.empty() && pattern.back() == '?') {
    entry.query = true;
    pattern.remove_suffix(1);
  }
  bool in_brackets = false;
  std::string word;
  auto flush = [&] {
    if (word.empty()) return;
    entry.nodes.push_back(CompileNode(word, in_brackets, &entry.suffix_slots));
    if (!in_brackets) ++entry.required;
    word.clear();
  };
  for (char c : pattern) {
    if (c == '[' || c == ']' || c == ':') {
      flush();
      if (c != ':') in_brackets = c == '[';
    } else {
      word += c;
    }
  }
  flush();
  return entry;
}

enum class Match { kNo, kYes, kSuffixOutOfRange };

// Tries the pattern's nodes against the header's mnemonics. Only optional nodes branch, and a
// table's patterns have few, so this stays small whatever the client sends.
Match MatchFrom(const ScpiParser::Entry& entry, const std::vector<Mnemonic>& words, size_t node_at,
                size_t word_at, std::vector<int>* suffixes) {
  if (node_at == entry.nodes.size()) return word_at == words.size() ? Match::kYes : Match::kNo;
  const ScpiParser::Node& node = entry.nodes[node_at];
  Match result = Match::kNo;
  if (word_at < words.size()) {
    const Mnemonic& word = words[word_at];
    const bool name_fits = word.name == node.short_form || word.name == node.long_form;
    const bool suffix_fits = node.suffix_max > 0 || !word.has_suffix;
    if (name_fits && suffix_fits) {
      bool in_range = true;
      if (node.suffix_slot >= 0) {
        (*suffixes)[node.suffix_slot] = word.suffix;
        in_range = word.suffix >= 1 && word.suffix <= node.suffix_max;
      }
      result = MatchFrom(entry, words, node_at + 1, word_at + 1, suffixes);
      if (result == Match::kYes && !in_range) result = Match::kSuffixOutOfRange;
      if (result == Match::kYes) return result;
    }
  }
  if (node.optional) {
    if (node.suffix_slot >= 0) (*suffixes)[node.suffix_slot] = 1;
    const Match skipped = MatchFrom(entry, words, node_at + 1, word_at, suffixes);
    if (skipped != Match::kNo) return skipped;
  }
  return result;
}

struct UnitText {
  std::string_view text;
  bool unterminated_string = false;
};

// The next unit: up to a ';' that is not inside a string.
UnitText NextUnit(std::string_view line, size_t from) {
  char quote = 0;
  size_t i = from;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (quote) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: same boundaries
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      break;
    }
  }
  return {line.substr(from, i - from), quote != 0};
}

struct SuffixUnit {
  std::string_view name;
  ScpiSuffixUnit unit;
  double scale;
};

constexpr SuffixUnit kSuffixUnits[] = {
    {"HZ", ScpiSuffixUnit::kHertz, 1},      {"KHZ", ScpiSuffixUnit::kHertz, 1e3},
    {"MHZ", ScpiSuffixUnit::kHertz, 1e6},   {"GHZ", ScpiSuffixUnit::kHertz, 1e9},
    {"DBM", ScpiSuffixUnit::kDbm, 1},       {"DB", ScpiSuffixUnit::kDb, 1},
    {"S", ScpiSuffixUnit::kSecond, 1},      {"MS", ScpiSuffixUnit::kSecond, 1e-3},
    {"US", ScpiSuffixUnit::kSecond, 1e-6},
};

class UnitReader {
 public:
  explicit UnitReader(std::string_view text) : s_(text) {}

  bool AtEnd() const { return i_ >= s_.size(); }
  char Peek() const { return s_[i_]; }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) ++i_;
  }

  // What to report for an unexpected character at the reading position.
  int Unexpected() const {
    if (AtEnd()) return kScpiSyntaxError;
    if (IsBadByte(Peek())) return kScpiInvalidCharacter;
    return Peek() == ',' ? kScpiInvalidSeparator : kScpiSyntaxError;
  }

  // The header's mnemonics; `common` for *XXX. Leaves the reader after the header.
  int ReadHeader(std::vector<Mnemonic>* words, bool* common, bool* rooted, bool* query) {
    SkipSpace();
    if (!AtEnd() && Peek() == '*') {
      *common = true;
      ++i_;
      const size_t start = i_;
      while (!AtEnd() && IsAlpha(Peek())) ++i_;
      if (i_ == start) return Unexpected();
      words->push_back({"*" + UpperText(s_.substr(start, i_ - start)), false, 1});
      // A digit glued to a common header cannot be a suffix: fold it into an unknown name.
      if (!AtEnd() && IsWordChar(Peek())) {
        while (!AtEnd() && IsWordChar(Peek())) ++i_;
        words->back().name += '#';
      }
    } else {
      if (!AtEnd() && Peek() == ':') {
        *rooted = true;
        ++i_;
      }
      while (true) {
        if (AtEnd() || !IsAlpha(Peek())) return Unexpected();
        const size_t start = i_;
        while (!AtEnd() && IsWordChar(Peek())) ++i_;
        if (words->size() <= kScpiMaxHeaderDepth) {
          words->push_back(SplitMnemonic(s_.substr(start, i_ - start)));
        }
        if (AtEnd() || Peek() != ':') break;
        ++i_;
      }
    }
    if (!AtEnd() && Peek() == '?') {
      *query = true;
      ++i_;
    }
    if (!AtEnd() && !IsSpace(Peek())) return Unexpected();
    return 0;
  }

  int ReadParams(std::vector<ScpiParam>* params) {
    SkipSpace();
    if (AtEnd()) return 0;
    while (true) {
      ScpiParam param;
      if (const int error = ReadParam(&param)) return error;
      params->push_back(std::move(param));
      const size_t before = i_;
      SkipSpace();
      if (AtEnd()) return 0;
      if (Peek() != ',') {
        if (IsBadByte(Peek())) return kScpiInvalidCharacter;
        return i_ > before ? kScpiInvalidSeparator : kScpiSyntaxError;
      }
      ++i_;
      SkipSpace();
      if (AtEnd()) return kScpiSyntaxError;
    }
  }

 private:
  int ReadParam(ScpiParam* param) {
    const char c = Peek();
    if (c == '\'' || c == '"') return ReadString(param);
    if (IsDigit(c) || c == '+' || c == '-' || c == '.') return ReadNumber(param);
    if (IsAlpha(c)) {
      const size_t start = i_;
      while (!AtEnd() && IsWordChar(Peek())) ++i_;
      param->text = UpperText(s_.substr(start, i_ - start));
      param->kind = ScpiParamKind::kChars;
      if (param->text == "MIN" || param->text == "MINIMUM") param->kind = ScpiParamKind::kMin;
      if (param->text == "MAX" || param->text == "MAXIMUM") param->kind = ScpiParamKind::kMax;
      if (param->text == "DEF" || param->text == "DEFAULT") param->kind = ScpiParamKind::kDefault;
      return 0;
    }
    // Blocks and non-decimal numbers are valid syntax this instrument never takes.
    if (c == '#') return kScpiDataTypeError;
    if (c == ',' || c == ';') return kScpiSyntaxError;
    return kScpiInvalidCharacter;
  }

  int ReadString(ScpiParam* param) {
    const char quote = Peek();
    ++i_;
    param->kind = ScpiParamKind::kString;
    while (!AtEnd()) {
      const char c = Peek();
      ++i_;
      if (c != quote) {
        param->text += c;
      } else if (!AtEnd() && Peek() == quote) {
        param->text += quote;
        ++i_;
      } else {
        return 0;
      }
    }
    return kScpiSyntaxError;
  }

  int ReadNumber(ScpiParam* param) {
    // Rebuilt as sign, digits, '.', digits, 'e', exponent for from_chars, which knows no '+'
    // and no locale.
    std::string number;
    if (Peek() == '+' || Peek() == '-') {
      if (Peek() == '-') number += '-';
      ++i_;
    }
    size_t digits = 0;
    while (!AtEnd() && IsDigit(Peek())) number += s_[i_++], ++digits;
    if (!AtEnd() && Peek() == '.') {
      number += '.';
      ++i_;
      while (!AtEnd() && IsDigit(Peek())) number += s_[i_++], ++digits;
    }
    if (digits == 0) return kScpiSyntaxError;
    if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
      size_t k = i_ + 1;
      if (k < s_.size() && (s_[k] == '+' || s_[k] == '-')) ++k;
      if (k < s_.size() && IsDigit(s_[k])) {
        number += 'e';
        if (s_[i_ + 1] == '-') number += '-';
        i_ = k;
        while (!AtEnd() && IsDigit(Peek())) number += s_[i_++];
      }
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size()) return kScpiDataOutOfRange;

    size_t k = i_;
    while (k < s_.size() && IsSpace(s_[k])) ++k;
    if (k < s_.size() && IsAlpha(s_[k])) {
      const size_t start = k;
      while (k < s_.size() && IsAlpha(s_[k])) ++k;
      const std::string name = UpperText(s_.substr(start, k - start));
      const SuffixUnit* found = nullptr;
      for (const SuffixUnit& unit : kSuffixUnits) {
        if (unit.name == name) found = &unit;
      }
      if (!found) return kScpiInvalidSuffix;
      value *= found->scale;
      param->unit = found->unit;
      i_ = k;
    }
    if (!std::isfinite(value)) return kScpiDataOutOfRange;
    param->kind = ScpiParamKind::kNumber;
    param->number = value;
    return 0;
  }

  std::string_view s_;
  size_t i_ = 0;
};

std::string HeaderText(const std::vector<Mnemonic>& words, bool query) {
  std::string text;
  for (const Mnemonic& word : words) {
    if (!text.empty()) text += ':';
    text += word.name;
    if (word.has_suffix) text += std::to_string(word.suffix);
  }
  if (query) text += '?';
  return text;
}

}  // namespace

std::optional<bool> ScpiBool(const ScpiParam& param) {
  if (param.kind == ScpiParamKind::kChars) {
    if (param.text == "ON") return true;
    if (param.text == "OFF") return false;
  }
  if (param.kind == ScpiParamKind::kNumber && param.unit == ScpiSuffixUnit::kNone) {
    return std::round(param.number) != 0;
  }
  return std::nullopt;
}

int CheckScpiParamCount(const ScpiUnit& unit, size_t min, size_t max) {
  if (unit.params.size() < min) return kScpiMissingParameter;
  if (unit.params.size() > max) return kScpiParameterNotAllowed;
  return 0;
}

ScpiParser::ScpiParser(std::span<const ScpiCommand> table) {
  entries_.reserve(table.size());
  for (const ScpiCommand& command : table) entries_.push_back(CompileEntry(command));
}

std::vector<ScpiUnit> ScpiParser::Parse(std::string_view line) const {
  std::vector<ScpiUnit> units;
  if (line.size() > kScpiMaxLine) {
    ScpiUnit refused;
    refused.error = kScpiInputBufferOverrun;
    units.push_back(std::move(refused));
    return units;
  }
  // The header path: where a unit's header starts when it does not start with ':'.
  std::vector<Mnemonic> path;
  size_t from = 0;
  while (from <= line.size()) {
    const UnitText piece = NextUnit(line, from);
    from += piece.text.size() + 1;
    UnitReader reader(piece.text);
    reader.SkipSpace();
    if (reader.AtEnd()) continue;  // "A;;B" and a trailing ';' are harmless

    ScpiUnit unit;
    if (piece.text.find('\0') != std::string_view::npos) {
      unit.error = kScpiInvalidCharacter;
      units.push_back(std::move(unit));
      continue;
    }
    std::vector<Mnemonic> words;
    bool common = false;
    bool rooted = false;
    if (const int error = reader.ReadHeader(&words, &common, &rooted, &unit.query)) {
      unit.error = error;
      units.push_back(std::move(unit));
      continue;
    }
    if (!common && !rooted) words.insert(words.begin(), path.begin(), path.end());
    unit.header = HeaderText(words, unit.query);
    if (!common && words.size() <= kScpiMaxHeaderDepth) path.assign(words.begin(), words.end() - 1);

    // An unterminated string is a broken token: a syntax error, whatever the header.
    if (piece.unterminated_string) {
      unit.error = kScpiSyntaxError;
      units.push_back(std::move(unit));
      continue;
    }
    unit.error = kScpiUndefinedHeader;
    if (words.size() <= kScpiMaxHeaderDepth) {
      for (const Entry& entry : entries_) {
        if (entry.query != unit.query || words.size() > entry.nodes.size() ||
            words.size() < entry.required) {
          continue;
        }
        std::vector<int> suffixes(static_cast<size_t>(entry.suffix_slots), 1);
        const Match match = MatchFrom(entry, words, 0, 0, &suffixes);
        if (match == Match::kYes) {
          unit.error = 0;
          unit.id = entry.id;
          unit.suffixes = std::move(suffixes);
          break;
        }
        if (match == Match::kSuffixOutOfRange) unit.error = kScpiHeaderSuffixOutOfRange;
      }
    }
    if (unit.error == 0) unit.error = reader.ReadParams(&unit.params);
    units.push_back(std::move(unit));
  }
  return units;
}

}  // namespace qv
