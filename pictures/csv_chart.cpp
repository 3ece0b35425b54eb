// orowan_csv_chart: one line chart from columns of a results CSV (as
// orowan-batch writes it), for the guides' figures:
//   orowan_csv_chart results.csv X Y[,Y2...] "title" "x unit" "y name" "y unit" > chart.svg
// Each Y column is one series against column X ("#": the row's number,
// 1 for the first result line, axis title "pass"); an empty cell is a gap.
// Cells are numbers or empty; quoted cells (a message) are skipped whole.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "pictures/chart.h"

namespace {

// The cells of one CSV line, quotes honoured (a quoted comma stays).
std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) cells.emplace_back();
    else cells.back().push_back(c);
  }
  return cells;
}

// The index of `name` in the header, or -1.
int indexOf(const std::vector<std::string>& header, const std::string& name) {
  for (std::size_t i = 0; i < header.size(); ++i)
    if (header[i] == name) return static_cast<int>(i);
  return -1;
}

// A cell as a number; NaN (a gap) when empty or not a number.
double numberOf(const std::string& cell) {
  try {
    std::size_t used = 0;
    const double v = std::stod(cell, &used);
    return used == cell.size() ? v : NAN;
  } catch (const std::exception&) {
    return NAN;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: %s results.csv X Y[,Y2...] title x-unit y-name y-unit\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1]);
  std::string line;
  if (!in || !std::getline(in, line)) return std::fprintf(stderr, "%s: cannot read\n", argv[1]), 1;
  const std::vector<std::string> header = cellsOf(line);
  const bool rowNumber = std::string(argv[2]) == "#";
  const int x = rowNumber ? -1 : indexOf(header, argv[2]);
  if (x < 0 && !rowNumber) return std::fprintf(stderr, "no column %s\n", argv[2]), 1;
  orowan::pictures::Chart chart{argv[4], "", rowNumber ? "pass" : argv[2], argv[5], argv[6], argv[7], {}, {}, {}};
  std::vector<int> ys;
  std::stringstream names(argv[3]);
  for (std::string name; std::getline(names, name, ',');) {
    ys.push_back(indexOf(header, name));
    if (ys.back() < 0) return std::fprintf(stderr, "no column %s\n", name.c_str()), 1;
    chart.series.push_back({name, {}, {}});
  }
  for (int row = 1; std::getline(in, line); ++row) {
    const std::vector<std::string> cells = cellsOf(line);
    for (std::size_t s = 0; s < ys.size(); ++s) {
      const auto at = [&](int i) { return i < static_cast<int>(cells.size()) ? numberOf(cells[i]) : NAN; };
      chart.series[s].x.push_back(rowNumber ? row : at(x));
      chart.series[s].y.push_back(at(ys[s]));
    }
  }
  std::cout << orowan::pictures::chartSvg(chart);
  return 0;
}
