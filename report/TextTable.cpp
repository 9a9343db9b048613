#include "report/TextTable.h"

#include <algorithm>
#include <cstdio>

namespace pelorin {
namespace {

std::vector<std::string> Padded(const std::vector<std::string>& row, std::size_t width) {
  std::vector<std::string> cells = row;
  if (cells.size() < width) cells.resize(width);
  return cells;
}

std::string TabCell(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return text;
}

template <typename Line>
std::string AllLines(const TextTable& table, Line line) {
  const std::size_t width = table.Header.size();
  std::string text = line(table.Header);
  for (const auto& row : table.Rows) text += line(Padded(row, width));
  return text;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) line += ',';
    line += CsvField(fields[k]);
  }
  return line + "\n";
}

std::string CsvText(const TextTable& table) {
  return AllLines(table, CsvLine);
}

std::string TabText(const TextTable& table) {
  return AllLines(table, [](const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      if (k > 0) line += '\t';
      line += TabCell(cells[k]);
    }
    return line + "\n";
  });
}

}  // namespace pelorin
