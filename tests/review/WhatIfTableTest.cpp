#include <gtest/gtest.h>

#include <QTableWidget>
#include <vector>

#include "review/WhatIfPanel.h"

namespace {

// Sorting by a column orders the rows by value: as text, 10 would come
// before 9 and 100 before 20.
TEST(WhatIfTable, SortsColumnsByNumberNotText) {
  std::vector<analysis::WhatIfResult> results(4);
  const double thresholds[] = {20, 9, 100, 10};
  const size_t falseEvents[] = {9, 100, 2, 10};
  for (size_t i = 0; i < results.size(); ++i) {
    results[i].settings.threshold = thresholds[i];
    results[i].falseEvents = falseEvents[i];
    results[i].falsePerQuietHour = static_cast<double>(falseEvents[i]) * 1.5;
  }
  QTableWidget table;
  review::ShowWhatIfResults(table, results);
  ASSERT_TRUE(table.isSortingEnabled());
  const struct {
    int column;
    std::vector<double> ascending;
  } cases[] = {{0, {9, 10, 20, 100}}, {7, {2, 9, 10, 100}}, {8, {3, 13.5, 15, 150}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.column);
    table.sortItems(c.column, Qt::AscendingOrder);
    for (int row = 0; row < table.rowCount(); ++row) {
      EXPECT_DOUBLE_EQ(table.item(row, c.column)->data(Qt::DisplayRole).toDouble(),
                       c.ascending[static_cast<size_t>(row)]);
    }
  }
}

}  // namespace
