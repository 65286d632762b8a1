// param_template.cpp: the expansion of %1, %2 and %% in an avrdude parameter template.
#include "flash/param_template.h"

#include <vector>

namespace quillbrook {

namespace {

// The text under expansion holds two marks besides its characters: a percent sign written as %%
// (which must never start a pattern) and the start of an inserted value (which keeps a value that
// begins with a digit from extending a pattern written right before it). The marks live outside
// the range of char, so no character of the template or of a value can be taken for one.
using Cell = int;
constexpr Cell kLiteralPercent = 256;
constexpr Cell kValueStart = 257;

bool IsDigit(Cell cell) {
  return cell >= '0' && cell <= '9';
}

void AppendText(std::vector<Cell>& cells, std::string_view text) {
  for (const char c : text) {
    cells.push_back(static_cast<unsigned char>(c));
  }
}

std::vector<Cell> MarkPercentPairs(std::string_view paramTemplate) {
  std::vector<Cell> cells;
  cells.reserve(paramTemplate.size());
  for (std::size_t i = 0; i < paramTemplate.size(); ++i) {
    if (paramTemplate[i] == '%' && i + 1 < paramTemplate.size() && paramTemplate[i + 1] == '%') {
      cells.push_back(kLiteralPercent);
      ++i;
    } else {
      cells.push_back(static_cast<unsigned char>(paramTemplate[i]));
    }
  }
  return cells;
}

// Replaces each %<digit> not followed by another digit. Builds a new text instead of splicing in
// place, so that a template full of patterns costs linear time, and so that scanning resumes after
// the inserted value.
std::vector<Cell> InsertValue(const std::vector<Cell>& cells, char digit, std::string_view value) {
  std::vector<Cell> result;
  result.reserve(cells.size() + value.size() + 1);
  const std::size_t size = cells.size();
  for (std::size_t i = 0; i < size; ++i) {
    const bool isPattern = cells[i] == '%' && i + 1 < size && cells[i + 1] == digit &&
                           (i + 2 == size || !IsDigit(cells[i + 2]));
    if (isPattern) {
      result.push_back(kValueStart);
      AppendText(result, value);
      ++i;
    } else {
      result.push_back(cells[i]);
    }
  }
  return result;
}

}  // namespace

std::string ExpandParamTemplate(std::string_view paramTemplate, std::string_view port,
                                std::string_view hexPath) {
  const std::vector<Cell> cells =
      InsertValue(InsertValue(MarkPercentPairs(paramTemplate), '1', port), '2', hexPath);
  std::string expanded;
  expanded.reserve(cells.size());
  for (const Cell cell : cells) {
    if (cell == kLiteralPercent) {
      expanded.push_back('%');
    } else if (cell != kValueStart) {
      expanded.push_back(static_cast<char>(cell));
    }
  }
  return expanded;
}

}  // namespace quillbrook
