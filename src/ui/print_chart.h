// PrintChart: the chart on one landscape page, the printer's orientation put back afterwards.
#pragma once

class ChartView;
class PrinterFactory;

// Throws AppError "There is no default printer currently selected" without a printer, and AppError when the
// printer refuses the job; the orientation is restored in every case.
void PrintChart(ChartView& chart, PrinterFactory& printers);
