#pragma once
// Runs the report command as a separate program and reads its JSON back.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/AnalysisHarness.h"

namespace pelorin::testdata {

// Just enough JSON to read the report back; \u escapes of control characters
// become one byte, everything else is UTF-8 as it stands.
struct Json {
  enum class Type { Null, Bool, Number, Text, Array, Object };
  Type Kind = Type::Null;
  bool Boolean = false;
  double Number = 0;
  std::string Text;
  std::vector<Json> Items;
  std::map<std::string, Json> Members;

  const Json& operator[](const std::string& key) const { return Members.at(key); }
  const Json& operator[](std::size_t index) const { return Items.at(index); }
};

class JsonReader {
public:
  explicit JsonReader(const std::string& text) : t_(text) {}
  std::optional<Json> Document() {
    Json value;
    if (!Value(value) || (Skip(), p_ != t_.size())) return std::nullopt;
    return value;
  }

private:
  void Skip() {
    while (p_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[p_]))) ++p_;
  }
  bool Take(char c) { return Skip(), p_ < t_.size() && t_[p_] == c ? (++p_, true) : false; }
  bool Word(std::string_view w) {
    return t_.compare(p_, w.size(), w) == 0 ? (p_ += w.size(), true) : false;
  }

  bool Value(Json& v) {
    Skip();
    if (Take('{')) {
      v.Kind = Json::Type::Object;
      if (Take('}')) return true;
      do {
        std::string key;
        if (!(Skip(), Text(key)) || !Take(':') || !Value(v.Members[key])) return false;
      } while (Take(','));
      return Take('}');
    }
    if (Take('[')) {
      v.Kind = Json::Type::Array;
      if (Take(']')) return true;
      do {
        if (!Value(v.Items.emplace_back())) return false;
      } while (Take(','));
      return Take(']');
    }
    if (p_ < t_.size() && t_[p_] == '"') return v.Kind = Json::Type::Text, Text(v.Text);
    if (Word("null")) return true;
    if (Word("true") || Word("false")) {
      v.Kind = Json::Type::Bool;
      v.Boolean = t_[p_ - 2] == 'u';
      return true;
    }
    if (p_ >= t_.size() || !(t_[p_] == '-' || std::isdigit(static_cast<unsigned char>(t_[p_]))))
      return false;
    const auto [end, error] = std::from_chars(t_.data() + p_, t_.data() + t_.size(), v.Number);
    p_ = static_cast<std::size_t>(end - t_.data());
    return v.Kind = Json::Type::Number, error == std::errc();
  }
  bool Text(std::string& out) {
    if (!Word("\"")) return false;
    const std::string_view plain = "\"\\/", escaped = "nrtbf", meant = "\n\r\t\b\f";
    while (p_ < t_.size()) {
      const char c = t_[p_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20 || (c == '\\' && p_ >= t_.size())) return false;
      if (c != '\\') {
        out += c;
      } else if (const char e = t_[p_++]; plain.find(e) != plain.npos) {
        out += e;
      } else if (escaped.find(e) != escaped.npos) {
        out += meant[escaped.find(e)];
      } else {
        unsigned code = 0;
        const char* digits = t_.data() + p_;
        if (e != 'u' || p_ + 4 > t_.size() ||
            std::from_chars(digits, digits + 4, code, 16).ptr != digits + 4 || code > 0xFF) {
          return false;
        }
        out += static_cast<char>(code);
        p_ += 4;
      }
    }
    return false;
  }

  const std::string& t_;
  std::size_t p_ = 0;
};

struct ReportRun {
  int ExitStatus = -1;
  std::string Out;
  std::string Err;
};

// Runs the report command with `arguments` (shell words) in `dir`, with its
// standard output going to `output` (a file in `dir` by default), and for no
// longer than 20 s.
inline ReportRun RunReport(const TempDir& dir, const std::string& arguments,
                           std::optional<std::string> output = std::nullopt) {
  const std::string command = "cd '" + dir.Directory() + "' && timeout 20 '" + PELORIN_REPORT_PATH +
                              "' " + arguments + " > '" + output.value_or(dir.File("out.txt")) +
                              "' 2> '" + dir.File("err.txt") + "'";
  const int status = std::system(command.c_str());
  ReportRun run;
  run.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const Bytes out = ReadFileBytes(dir.File("out.txt")).value_or(Bytes{});
  const Bytes err = ReadFileBytes(dir.File("err.txt")).value_or(Bytes{});
  run.Out.assign(out.begin(), out.end());
  run.Err.assign(err.begin(), err.end());
  return run;
}

// The report of the one log analysed.
inline Json OnlyReport(const ReportRun& run) {
  const auto document = JsonReader(run.Out).Document();
  EXPECT_TRUE(document) << run.Out.substr(0, 300);
  if (!document || document->Items.size() != 1) return Json{};
  return (*document)[0];
}

}  // namespace pelorin::testdata
