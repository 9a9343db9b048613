#pragma once
// A table of texts as the windows show it and as it leaves them: CSV for a
// file, tab-separated lines for the clipboard (a spreadsheet pastes them
// into cells).

#include <string>
#include <vector>

namespace pelorin {

struct TextTable {
  std::vector<std::string> Header;
  // A row shorter than the header leaves its last cells empty.
  std::vector<std::vector<std::string>> Rows;
};

// A number with `decimals` decimals, as the tables show measures: "95.00".
std::string FixedText(double value, int decimals);

// One CSV field: quoted when it holds a comma, a quote or a line break,
// with its quotes doubled.
std::string CsvField(const std::string& text);
// The fields of one CSV line, ended by "\n".
std::string CsvLine(const std::vector<std::string>& fields);

// The header and every row, each padded to the header's width.
std::string CsvText(const TextTable& table);
// The same with tabs between cells; tabs and line breaks inside a cell
// become blanks so that the cells stay where they are.
std::string TabText(const TextTable& table);

}  // namespace pelorin
