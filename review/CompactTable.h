#pragma once

class QTableWidget;

namespace review {

/// Sets up a panel's read-only table of figures: no row numbers, rows as
/// tight as the text (so a panel shows several channels without taking the
/// plot's room) and columns as wide as their contents.
void MakeCompactTable(QTableWidget& table);

}  // namespace review
