#include "review/CompactTable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace review {

void MakeCompactTable(QTableWidget& table) {
  table.verticalHeader()->hide();
  table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 4);
  table.horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

}  // namespace review
