// Painting a real button of the main window against one BitBlt of its size.
#pragma once

#include <vector>

#include "mainwindow.h"
#include "table.h"

namespace bench {

// Rows for each face, a Redraw that changes nothing and a repaint of all six
// buttons to the screen, `runs` alternating runs each.
void MeasurePainting(MainWindow& window, int runs, std::vector<Row>& rows);

}  // namespace bench
